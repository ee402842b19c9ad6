// The one failure type of corvane-render: its text is the single line shown after the
// "corvane-render: " prefix.
#pragma once

#include <stdexcept>

namespace Kestrune::Render
{

struct RenderError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// A command-line mistake: reported like any other error, with the usage exit status.
struct UsageError : RenderError
{
    using RenderError::RenderError;
};

} // namespace Kestrune::Render
