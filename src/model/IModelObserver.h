#pragma once

namespace Kestrune
{

// Told about value changes. Called with the model's lock held, on the thread that made the
// change: an observer must never wait for another thread here.
class IModelObserver
{
public:
    virtual ~IModelObserver() = default;
    virtual void OnParameterChanged(int index) = 0;
    // A program switch or a chunk load: every value may have changed.
    virtual void OnAllParametersChanged() = 0;
};

} // namespace Kestrune
