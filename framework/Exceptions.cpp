#include "framework/Exceptions.h"

#include <cerrno>
#include <cstdio>

Exception::Exception(std::string message) : message_(std::move(message)) {}

Exception::~Exception() = default;

EInOutError::EInOutError(int errorCode) : EInOutError(errorCode, SystemErrorDescription(errorCode)) {}

EInOutError::EInOutError(int errorCode, std::string explanation)
    : Exception("Erreur E/S " + std::to_string(errorCode)), errorCode_(errorCode),
      explanation_(std::move(explanation)) {}

std::string EInOutError::DisplayText() const
{
    return explanation_.empty() ? Message() : Message() + "\n" + explanation_;
}

namespace {

struct ErrnoMapping {
    int errnoValue;
    int windowsError;
};

// Every errno that creating, writing, truncating or closing a movie or a captured picture can
// give, and the error Windows reports in the same situation.
constexpr ErrnoMapping ErrnoMappings[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED}, // Windows refuses to open a folder as a file that way
    {EROFS, ERROR_WRITE_PROTECT},
    {EBUSY, ERROR_SHARING_VIOLATION},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {EWOULDBLOCK, ERROR_SHARING_VIOLATION}, // the file is locked by another writer
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL}, // a quota reads as a full disk to the one who hits it
    {EFBIG, ERROR_FILE_TOO_LARGE}, // the file-size limit (ulimit -f) or the file system's
    {EOVERFLOW, ERROR_FILE_TOO_LARGE},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME}, // a circle of symbolic links
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOLCK, ERROR_SHARING_BUFFER_EXCEEDED}, // no room left for the file's lock
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EIO, ERROR_IO_DEVICE},
    {EUCLEAN, ERROR_FILE_CORRUPT}, // the file system found itself damaged
    {ENXIO, ERROR_BAD_UNIT},
    {ENODEV, ERROR_BAD_UNIT},
    {ENOMEDIUM, ERROR_NOT_READY}, // a drive without its disk
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {EBADF, ERROR_INVALID_HANDLE},
    {EPIPE, ERROR_NO_DATA},
    {ETIMEDOUT, ERROR_SEM_TIMEOUT}, // what Windows says when a network share stops answering
    {ESTALE, ERROR_UNEXP_NET_ERR},
    {ENOTCONN, ERROR_UNEXP_NET_ERR},
    {ECONNRESET, ERROR_UNEXP_NET_ERR},
    {ECONNABORTED, ERROR_UNEXP_NET_ERR},
    {EHOSTDOWN, ERROR_UNEXP_NET_ERR},
    {EHOSTUNREACH, ERROR_UNEXP_NET_ERR},
    {ENETDOWN, ERROR_UNEXP_NET_ERR},
    {ENETUNREACH, ERROR_UNEXP_NET_ERR},
    {EREMOTEIO, ERROR_UNEXP_NET_ERR},
};

struct ErrorDescription {
    int windowsError;
    const char* words;
};

// Every number of the table above, in the words a person reading the message needs.
constexpr ErrorDescription ErrorDescriptions[] = {
    {ERROR_FILE_NOT_FOUND, "The file was not found."},
    {ERROR_PATH_NOT_FOUND, "The folder was not found."},
    {ERROR_TOO_MANY_OPEN_FILES, "Too many files are open."},
    {ERROR_ACCESS_DENIED, "Access denied: there is no permission to write there, or the name is a folder."},
    {ERROR_INVALID_HANDLE, "The file is not open."},
    {ERROR_NOT_ENOUGH_MEMORY, "There is not enough memory."},
    {ERROR_WRITE_PROTECT, "The disk is read-only."},
    {ERROR_BAD_UNIT, "The device is not there (or a pipe has no reader)."},
    {ERROR_NOT_READY, "The drive has no disk in it."},
    {ERROR_GEN_FAILURE, "The system reported a failure."},
    {ERROR_SHARING_VIOLATION, "The file is in use by another program."},
    {ERROR_SHARING_BUFFER_EXCEEDED, "No room is left for the file's lock."},
    {ERROR_NOT_SUPPORTED, "The file system does not support this."},
    {ERROR_UNEXP_NET_ERR, "The connection to the network share was lost."},
    {ERROR_INVALID_PARAMETER, "The system refused the request."},
    {ERROR_DISK_FULL, "The disk is full."},
    {ERROR_SEM_TIMEOUT, "The network share stopped answering."},
    {ERROR_FILENAME_EXCED_RANGE, "The name is too long."},
    {ERROR_FILE_TOO_LARGE, "The file is too large for the file system (or for the file-size limit)."},
    {ERROR_NO_DATA, "The reader at the other end has gone."},
    {ERROR_IO_DEVICE, "The disk reported an input/output error."},
    {ERROR_FILE_CORRUPT, "The file system is damaged."},
    {ERROR_CANT_RESOLVE_FILENAME, "The name leads round a circle of symbolic links."},
};

} // namespace

std::string SystemErrorDescription(int windowsError)
{
    for (const ErrorDescription& description : ErrorDescriptions)
        if (description.windowsError == windowsError)
            return description.words;
    return "The system reported error " + std::to_string(windowsError) + ".";
}

int WindowsErrorFromErrno(int errnoValue, TMissingName missing) noexcept
{
    if (errnoValue == ENOENT && missing == TMissingName::Folder)
        return ERROR_PATH_NOT_FOUND;
    for (const ErrnoMapping& mapping : ErrnoMappings)
        if (mapping.errnoValue == errnoValue)
            return mapping.windowsError;
    return ERROR_GEN_FAILURE;
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
