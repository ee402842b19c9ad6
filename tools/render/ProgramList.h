// Program lists: several programs in one text file, which corvane-render --programs fills into
// the plug-in's programs 1, 2, 3... The format, line by line:
//   # a comment           lines starting with '#', and blank lines, are skipped
//   Deep Sweep            a line without '=' starts a program and is its name
//   PSM=12 PFB=-2.5dB     the lines after it: NAME=VALUE settings as --param takes them,
//                         separated by blanks and applied in order
// Names hold at most kMaxProgramName characters, are unique in any letter case and avoid
// / \ : * ? " < > | so that files can be named after them.
#pragma once

#include "Options.h"

#include <memory>
#include <string>
#include <vector>

namespace Kestrune::Render
{

class PendingFile;
class PluginHost;

struct ListedSetting
{
    ParamSetting setting;
    int line = 0;
};

struct ListedProgram
{
    std::string name;
    int line = 0;
    std::vector<ListedSetting> settings;
};

// Both throw RenderError "SOURCE:LINE: reason" (or "SOURCE: reason").
std::vector<ListedProgram> ParseProgramList(const std::string& text, const std::string& source);
std::vector<ListedProgram> ReadProgramList(const std::string& path);

// Programs 0, 1... in turn: selected, named and set (on top of the values they held); the
// program current before is selected again.
void ApplyProgramList(PluginHost& host, const std::vector<ListedProgram>& programs,
                      const std::string& source);

// One .fxp per listed program in the folder, named "01 Name.fxp" (numbered from 1, as hosts
// show programs), written but not yet committed.
std::vector<std::unique_ptr<PendingFile>>
WriteProgramFiles(PluginHost& host, const std::vector<ListedProgram>& programs,
                  const std::string& folder);

} // namespace Kestrune::Render
