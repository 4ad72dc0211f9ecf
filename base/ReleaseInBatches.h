#pragma once

#include <cstddef>

// Empties `container` an element at a time, calling `pump` between batches. Under Wine a large
// move's records (tens of thousands of strings) take tens of milliseconds to free, longer than a
// window should go without answering its messages.
template <typename Container, typename Pump> void ReleaseInBatches(Container& container, Pump pump)
{
    const size_t kBatch = 256;
    size_t released = 0;
    for (auto element = container.begin(); element != container.end();)
    {
        element = container.erase(element);
        if (++released % kBatch == 0)
            pump();
    }
}
