// Shared ownership for toolkit objects: a new object holds its creator's
// reference; whoever stores a pointer retains it and releases it when done.
#pragma once

#include <cstdint>

namespace gui
{

class CReferenceCounter
{
  public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter() = default;

    // Destroys the object when the caller held the last reference.
    virtual void release()
    {
        if (--nbReference == 0) delete this;
    }
    virtual void retain() { ++nbReference; }
    std::int32_t getNbReference() const { return nbReference; }

  private:
    std::int32_t nbReference = 1;
};

} // namespace gui
