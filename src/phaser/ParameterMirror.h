#pragma once

#include "model/Model.h"
#include "services/ServiceInterfaces.h"

#include <memory>

namespace Kestrune::Product
{

// The product's parameters made from the table alone, with nothing to drive: values per
// program, names, display texts and labels as the plug-in's model has them, but no owners, no
// setters and no smoothers. An editor that mirrors a plug-in running elsewhere (the LV2 UI)
// works through it, so its binary carries none of the engine.
class ParameterMirror final : public Model
{
public:
    ParameterMirror(const char* pluginName, const char* vendorName, const char* productName,
                    int vendorVersion, IServiceProvider* provider);
    ~ParameterMirror() override;

    int GetInputCount() override { return 2; }
    int GetOutputCount() override { return 2; }
    // Leaves the outputs as they are: the processing runs elsewhere.
    void Process(float**, float**, int) override {}

private:
    struct Groups;
    std::unique_ptr<Groups> groups;
};

} // namespace Kestrune::Product
