#include "framework/Exceptions.h"

#include <cerrno>
#include <cstdio>

Exception::Exception(std::string message) : message_(std::move(message)) {}

Exception::~Exception() = default;

EInOutError::EInOutError(int errorCode)
    : Exception("Erreur E/S " + std::to_string(errorCode)), errorCode_(errorCode) {}

int WindowsErrorFromErrno(int errnoValue) noexcept
{
    switch (errnoValue) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: // Windows refuses to open a folder as a file with "access denied"
        return ERROR_ACCESS_DENIED;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
        return ERROR_SHARING_VIOLATION;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    default:
        return errnoValue;
    }
}

namespace {
std::string OleStatusText(HRESULT code)
{
    char text[32];
    std::snprintf(text, sizeof text, "Erreur OLE %08X", static_cast<unsigned>(code));
    return text;
}
} // namespace

EOleSysError::EOleSysError(HRESULT errorCode, std::string message)
    : EOleError(message.empty() ? OleStatusText(errorCode) : std::move(message)), errorCode_(errorCode) {}

EOleException::EOleException(std::string description, HRESULT errorCode, std::string source,
                             std::string helpFile, int helpContext)
    : EOleSysError(errorCode, std::move(description)), source_(std::move(source)),
      helpFile_(std::move(helpFile)), helpContext_(helpContext) {}

EIntfCastError::EIntfCastError() : Exception("Interface non supportée") {}

EOutOfMemory::EOutOfMemory() : Exception("Mémoire insuffisante") {}

EDivByZero::EDivByZero() : Exception("Division par zéro") {}
