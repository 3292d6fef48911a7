// Interning of format records. Every distinct record lives once in its pool
// with a count of the references to it; two references are equal exactly when
// their records are, so runs compare formats by pointer. A record leaves the
// pool with its last reference.
//
// A reference is a single pointer so that a run stays small; the pool is found
// through the record. The pool must outlive every reference into it.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>

namespace textpane {

template <class T, class Hash>
class FormatPool;

template <class T, class Hash>
class FormatRef {
 public:
  using Pool = FormatPool<T, Hash>;

  FormatRef() = default;
  FormatRef(const FormatRef& o) : m_entry(o.m_entry) {
    if (m_entry) ++m_entry->second.refs;
  }
  FormatRef(FormatRef&& o) noexcept : m_entry(std::exchange(o.m_entry, nullptr)) {}
  ~FormatRef() { Reset(); }
  FormatRef& operator=(FormatRef o) noexcept {
    std::swap(m_entry, o.m_entry);
    return *this;
  }

  void Reset() {
    if (m_entry && --m_entry->second.refs == 0) m_entry->second.pool->Erase(m_entry);
    m_entry = nullptr;
  }

  const T& operator*() const { return m_entry->first; }
  const T* operator->() const { return &m_entry->first; }
  explicit operator bool() const { return m_entry != nullptr; }
  bool operator==(const FormatRef& o) const { return m_entry == o.m_entry; }
  uint32_t RefCount() const { return m_entry ? m_entry->second.refs : 0; }

 private:
  friend class FormatPool<T, Hash>;
  struct Meta {
    uint32_t refs;
    Pool* pool;
  };
  using Entry = std::pair<const T, Meta>;
  explicit FormatRef(Entry* e) : m_entry(e) { ++m_entry->second.refs; }

  Entry* m_entry = nullptr;
};

template <class T, class Hash>
class FormatPool {
 public:
  using Ref = FormatRef<T, Hash>;

  FormatPool() { m_map.reserve(256); }
  FormatPool(const FormatPool&) = delete;
  FormatPool& operator=(const FormatPool&) = delete;
  ~FormatPool() { assert(m_map.empty() && "a format outlived its pool"); }

  Ref Intern(const T& value) {
    auto it = m_map.try_emplace(value, typename Ref::Meta{0, this}).first;
    return Ref(&*it);
  }
  size_t size() const { return m_map.size(); }

 private:
  friend class FormatRef<T, Hash>;
  void Erase(typename Ref::Entry* e) {
    // Erase through an iterator: the key handed to erase(key) would be the
    // very node being destroyed.
    auto it = m_map.find(e->first);
    assert(it != m_map.end() && &*it == e);
    m_map.erase(it);
  }

  std::unordered_map<T, typename Ref::Meta, Hash> m_map;
};

}  // namespace textpane
