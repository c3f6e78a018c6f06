#pragma once
// The one exception type of the job library. Every message is a single line
// meant for the user as it stands; the tool only puts "intonara: " in front.

#include <stdexcept>
#include <string>

namespace job {

class CJobError : public std::runtime_error
{
public:
    enum class Kind
    {
        Usage,   // the command line asks for something impossible
        Failure, // the files or the system let us down
    };

    CJobError(Kind kind, const std::string& message) : std::runtime_error(message), m_eKind(kind) {}

    Kind GetKind() const { return m_eKind; }
    // Exit status convention of the tool: 2 for usage, 1 for failures.
    int ExitCode() const { return m_eKind == Kind::Usage ? 2 : 1; }

private:
    Kind m_eKind;
};

[[noreturn]] inline void ThrowUsage(const std::string& message)
{
    throw CJobError(CJobError::Kind::Usage, message);
}

[[noreturn]] inline void ThrowFailure(const std::string& message)
{
    throw CJobError(CJobError::Kind::Failure, message);
}

} // namespace job
