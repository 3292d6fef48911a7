// The destination of a finished link. All characters of one link share one
// target, so the text pointer a view hands out stays valid for as long as any
// of them is in the document.
#pragma once

#include <string>
#include <utility>

#include "textpane/model/refcounted.h"

namespace textpane {

class LinkTarget : public RefCounted {
 public:
  LinkTarget(int type, std::string target) : m_type(type), m_target(std::move(target)) {}

  int Type() const { return m_type; }
  const std::string& Target() const { return m_target; }

 private:
  int m_type;
  std::string m_target;
};

}  // namespace textpane
