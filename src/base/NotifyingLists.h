#pragma once

#include "base/ObserverList.h"

#include <tuple>
#include <type_traits>

namespace Kestrune
{

// An observer list paired with the operation it calls on every entry. Operation points to a
// member function of the observer interface, for example &INoteObserver::OnNoteOff.
template <auto Operation> class NotifyingList;

template <typename T, typename... Args, void (T::*Operation)(Args...)>
class NotifyingList<Operation> : public ObserverList<T>
{
public:
    using Observer = T;

    // Calls the operation on each entry, front to back, with the arguments unchanged.
    void Notify(Args... args) const
    {
        this->ForEach([&](T* observer) { (observer->*Operation)(args...); });
    }
};

// One list per operation, in the order given. An observer is attached to (and detached from)
// every list of its interface at once, so an interface with two operations is on both lists.
//
// Not thread-safe, as ObserverList: notifying never allocates, attaching may.
template <auto... Operations> class NotifyingLists
{
public:
    template <typename T> void Attach(T* observer)
    {
        ForEachListOf<T>([observer](auto& list) { list.Add(observer); });
    }

    // Removes every occurrence; an observer that is not attached is ignored.
    template <typename T> void Detach(T* observer)
    {
        ForEachListOf<T>([observer](auto& list) { list.Remove(observer); });
    }

    template <auto Operation, typename... Args> void Notify(Args... args) const
    {
        std::get<NotifyingList<Operation>>(lists).Notify(args...);
    }

private:
    template <typename T, typename F> void ForEachListOf(F f)
    {
        static_assert((std::is_same_v<typename NotifyingList<Operations>::Observer, T> || ...),
                      "no list calls this observer interface");
        (VisitIfOf<T, Operations>(f), ...);
    }

    template <typename T, auto Operation, typename F> void VisitIfOf(F& f)
    {
        using ListType = NotifyingList<Operation>;
        if constexpr (std::is_same_v<typename ListType::Observer, T>)
            f(std::get<ListType>(lists));
    }

    std::tuple<NotifyingList<Operations>...> lists;
};

} // namespace Kestrune
