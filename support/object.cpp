#include "support/object.h"

#include <functional>

#include "support/format.h"

Text Object::ToString() const { return AsciiText(Format("%p", static_cast<const void*>(this))); }

int Object::Compare(const Object& other) const {
  const std::less<const Object*> less;
  if (less(this, &other)) return -1;
  if (less(&other, this)) return 1;
  return 0;
}
