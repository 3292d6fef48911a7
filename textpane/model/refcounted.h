// Intrusive reference counting for the objects the document shares: tree
// nodes, link targets and pictures. An object starts with a count of 1 that
// belongs to whoever created it; RefPtr::Adopt takes that count over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace textpane {

class RefCounted {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  void AddRef() const { ++m_refs; }
  void Release() const {
    if (--m_refs == 0) delete this;
  }
  uint32_t RefCount() const { return m_refs; }

 protected:
  virtual ~RefCounted() = default;

 private:
  mutable uint32_t m_refs = 1;
};

template <class T>
class RefPtr {
 public:
  RefPtr() = default;
  RefPtr(std::nullptr_t) {}
  // Shares an object someone else holds a count on.
  explicit RefPtr(T* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  RefPtr(const RefPtr& o) : RefPtr(o.m_p) {}
  RefPtr(RefPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
  template <class U>
  RefPtr(RefPtr<U> o) : m_p(o.Detach()) {}
  ~RefPtr() {
    if (m_p) m_p->Release();
  }
  RefPtr& operator=(RefPtr o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }

  // Takes over the creation count of a freshly made object.
  static RefPtr Adopt(T* p) {
    RefPtr r;
    r.m_p = p;
    return r;
  }
  // Hands the count back to the caller, who must Release it.
  T* Detach() { return std::exchange(m_p, nullptr); }

  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  bool operator==(const RefPtr& o) const { return m_p == o.m_p; }

 private:
  T* m_p = nullptr;
};

template <class T, class... Args>
RefPtr<T> MakeRef(Args&&... args) {
  return RefPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

inline void HashMix(size_t& h, size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); }

}  // namespace textpane
