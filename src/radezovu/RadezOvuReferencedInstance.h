#pragma once
// Reference counting shared by every object the RadezOvu library hands out, and a small owner that releases.
#include <atomic>
#include <cstdint>

class RadezOvuReferencedInstance
{
public:
    virtual ~RadezOvuReferencedInstance();
    virtual void retain();
    /** Drops one reference; the object deletes itself when none is left. */
    virtual void release();

    int32_t referenceCount() const { return count.load(); }

    /** Objects alive right now, across the process: lets callers prove that everything was released. */
    static int liveInstances();

    RadezOvuReferencedInstance(const RadezOvuReferencedInstance&) = delete;
    RadezOvuReferencedInstance& operator=(const RadezOvuReferencedInstance&) = delete;

protected:
    RadezOvuReferencedInstance();

private:
    std::atomic<int32_t> count{1}; // a transfer's thread takes and drops references too
    static std::atomic<int> live;
};

/** Owns the one reference of an object handed out by the library and releases it when it goes. */
template <typename T> class RadezOvuRef
{
public:
    RadezOvuRef() = default;
    explicit RadezOvuRef(T* object) : p(object) {}
    ~RadezOvuRef() { reset(); }
    RadezOvuRef(RadezOvuRef&& other) noexcept : p(other.p) { other.p = nullptr; }
    RadezOvuRef& operator=(RadezOvuRef&& other) noexcept
    {
        if (this != &other)
        {
            reset();
            p = other.p;
            other.p = nullptr;
        }
        return *this;
    }
    RadezOvuRef(const RadezOvuRef&) = delete;
    RadezOvuRef& operator=(const RadezOvuRef&) = delete;

    void reset(T* object = nullptr)
    {
        if (p != nullptr)
            p->release();
        p = object;
    }
    T* get() const { return p; }
    T* operator->() const { return p; }
    T& operator*() const { return *p; }
    explicit operator bool() const { return p != nullptr; }

private:
    T* p = nullptr;
};

/** Takes one more reference on object (null is allowed) and owns it. */
template <typename T> RadezOvuRef<T> retainRef(T* object)
{
    if (object != nullptr)
        object->retain();
    return RadezOvuRef<T>(object);
}
