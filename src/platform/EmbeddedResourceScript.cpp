#include "platform/EmbeddedResources.h"
#include "platform/ResourceScript.h"

namespace Kestrune::Platform
{

const ResourceScript& EmbeddedResourceScript()
{
    static const ResourceScript script = []
    {
        std::string error;
        const IncludeFiles includes = {{"resource.h", std::string(EmbeddedResourceHeaderText())}};
        auto parsed = ParseResourceScript(EmbeddedResourceScriptText(), error, includes);
        return parsed ? std::move(*parsed) : ResourceScript{};
    }();
    return script;
}

} // namespace Kestrune::Platform
