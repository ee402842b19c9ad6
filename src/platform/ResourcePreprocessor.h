#pragma once

#include "platform/ResourceScript.h"
#include "platform/ResourceToken.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Kestrune::Platform
{

// Turns a resource script into tokens: strips comments, follows #include, keeps #define and the
// conditional sections, and expands object-like macros. RC_INVOKED is predefined.
class ResourcePreprocessor
{
public:
    explicit ResourcePreprocessor(const IncludeFiles& includes);

    // False with error set on malformed input. The tokens end with one End token.
    bool Run(std::string_view text, ResourceTokens& tokens, std::string& error);

    const std::vector<std::string>& FileNames() const { return files; }

private:
    struct Conditional
    {
        bool parentActive;
        bool active;
        bool taken;
        bool elseSeen;
    };

    bool ProcessFile(std::string_view name, std::string_view text, int depth);
    bool ProcessLine(std::string_view line, int lineNumber, int depth);
    bool ProcessDirective(std::string_view line, int lineNumber, int depth);
    bool Lex(std::string_view line, int lineNumber, ResourceTokens& out);
    bool Expand(const ResourceToken& token, ResourceTokens& out, int depth);
    bool EvaluateCondition(const ResourceTokens& tokens, int lineNumber, bool& result);
    bool IsActive() const;
    bool Fail(int lineNumber, const std::string& message);

    const IncludeFiles& includeFiles;
    std::map<std::string, ResourceTokens, std::less<>> macros;
    std::vector<std::string> expanding;
    std::vector<Conditional> conditionals;
    std::vector<std::string> files;
    ResourceTokens* output = nullptr;
    std::string* errorText = nullptr;
    int currentFile = 0;
    std::size_t expansions = 0;
};

} // namespace Kestrune::Platform
