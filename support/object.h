// The common base of the classes that are shared by reference (events,
// hooks, pixel buffers, graphics, images, fonts). Shared with
// std::shared_ptr; Null is an empty pointer.
#pragma once

#include <memory>
#include <utility>

#include "support/text.h"

class Object {
 public:
  virtual ~Object() = default;
  // The object's address in hexadecimal by default; classes with a text of their own override it.
  virtual Text ToString() const;
  // Orders by identity by default: -1, 0 or 1.
  virtual int Compare(const Object& other) const;
};

using ObjectPtr = std::shared_ptr<Object>;

// A text carried where an object is expected (an event's extra payload).
class TextObject : public Object {
 public:
  explicit TextObject(Text text) : value(std::move(text)) {}
  Text ToString() const override { return value; }
  const Text value;
};
