// An owner class for parameter tests: each setter records what it received.
#pragma once

#include <string>
#include <vector>

namespace TestSupport
{

class RecordingOwner
{
public:
    explicit RecordingOwner(std::string ownerName = "owner") : name(std::move(ownerName)) {}
    virtual ~RecordingOwner() = default;

    // Virtual so that tests can check that a derived owner's override is what gets called.
    virtual void SetLevel(float value) { Record("level", std::to_string(value)); }
    void SetSecondLevel(float value) { Record("level2", std::to_string(value)); }
    void SetFlag(bool on) { Record("flag", on ? "true" : "false"); }
    void SetChoice(int index) { Record("choice", std::to_string(index)); }
    void SetBuffer(const float* buffer)
    {
        lastBuffer = buffer;
        Record("buffer", buffer == nullptr ? "null" : "set");
    }

    std::vector<std::string> calls;
    const float* lastBuffer = nullptr;

protected:
    void Record(const char* what, const std::string& value)
    {
        std::string entry = name;
        entry += '.';
        entry += what;
        entry += '=';
        entry += value;
        calls.push_back(entry);
    }

private:
    std::string name;
};

} // namespace TestSupport
