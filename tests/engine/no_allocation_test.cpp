#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "engine_test_support.h"

// Every allocation in this test executable is counted.
namespace
{
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
    {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace
{

TEST(EngineNoAllocation, ProcessingAllocatesNothingInAnyMode)
{
    AutoComp effect(test_host::callback);
    prepare(effect);
    auto source = programme(4096);
    auto floats = narrowed(source);
    std::vector<double> outL(source.size()), outR(source.size());
    std::vector<float> outFL(source.size()), outFR(source.size());

    const long before = allocations.load();
    for (const float process : {0.0f, 0.5f, 1.0f})
    {
        effect.setParameter(params::kProcess, process);
        run(effect, source, source, outL, outR);
        run(effect, floats, floats, outFL, outFR);
    }
    EXPECT_EQ(allocations.load() - before, 0);
}

} // namespace
