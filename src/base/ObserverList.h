#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace Kestrune
{

// Ordered list of non-owning observer pointers. Duplicates are kept (one added twice is told
// twice); Remove takes out every occurrence. Walking the list never allocates.
//
// Not thread-safe: callers serialise changes with walks. A walk goes by index, so a list
// changed from inside a notification never leads to an invalid access.
template <typename T> class ObserverList
{
public:
    // A null pointer is ignored: it could only crash a later walk.
    void Add(T* observer)
    {
        if (observer != nullptr)
            items.push_back(observer);
    }

    void Remove(T* observer)
    {
        items.erase(std::remove(items.begin(), items.end(), observer), items.end());
    }

    void Clear() { items.clear(); }
    bool Contains(const T* observer) const
    {
        return std::find(items.begin(), items.end(), observer) != items.end();
    }
    std::size_t Size() const { return items.size(); }
    bool Empty() const { return items.empty(); }

    // Calls f(observer) on each entry, front to back.
    template <typename F> void ForEach(F&& f) const
    {
        for (std::size_t i = 0; i < items.size(); ++i)
            f(items[i]);
    }

private:
    std::vector<T*> items;
};

} // namespace Kestrune
