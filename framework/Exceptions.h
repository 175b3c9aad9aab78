// The framework's exception classes. Every failure the program reports to its user is one
// of these: a message (UTF-8, often French, shown as stored by the application's default
// error handler) and, for some kinds, a code. They are ordinary C++ exceptions, thrown by
// value and caught by reference; none of them may cross a COM interface method or a window
// procedure (the boundary catches and maps them).
#pragma once

#include "platform/base/SystemErrorCodes.h"
#include "platform/base/WinTypes.h"

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message);
    ~Exception() override;

    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }
    // What a person is shown: the message, and for some kinds a line more that says it in
    // plain words.
    virtual std::string DisplayText() const { return message_; }

private:
    std::string message_;
};

// A file operation failed. ErrorCode is the Windows system error number (see
// WindowsErrorFromErrno); the message is "Erreur E/S <code>". The number alone tells a person
// nothing, so the text shown has a second line, Explanation: by default what the number means
// in plain words (SystemErrorDescription); whoever knows more (which file, how many frames it
// keeps) may replace it.
class EInOutError : public Exception {
public:
    explicit EInOutError(int errorCode);
    EInOutError(int errorCode, std::string explanation);
    int ErrorCode() const noexcept { return errorCode_; }
    const std::string& Explanation() const noexcept { return explanation_; }
    void SetExplanation(std::string explanation) { explanation_ = std::move(explanation); }
    std::string DisplayText() const override;

private:
    int errorCode_;
    std::string explanation_;
};

// The Windows system error numbers that file errors are reported with are in
// platform/base/SystemErrorCodes.h.

// What a missing name (ENOENT) stands for: the file itself, or a folder on its path, which is
// what it means when a file is created or a folder is searched.
enum class TMissingName { File, Folder };

// Maps a POSIX errno value to the Windows error number the program reports, so that a user
// can look the number up: every errno that creating, writing, truncating or closing a file
// can give has its Windows counterpart (ENOENT 2 or 3, EACCES 5, ENOSPC 112, EFBIG 223...; the
// table is in Exceptions.cpp). An errno with no counterpart gives 31, the general failure,
// never the Linux number, which means something else in the Windows numbering.
int WindowsErrorFromErrno(int errnoValue, TMissingName missing = TMissingName::File) noexcept;

// What a Windows error number that file errors carry means, as a sentence in plain words
// ("The disk is full."); one for every number WindowsErrorFromErrno gives. The table is beside
// the errno table in Exceptions.cpp.
std::string SystemErrorDescription(int windowsError);

// A failure reported by COM or OLE without a status of its own, e.g. a control that cannot
// be activated.
class EOleError : public Exception {
public:
    using Exception::Exception;
};

// A COM call returned a failed HRESULT. Without a message the text is "Erreur OLE XXXXXXXX"
// (the status in hexadecimal).
class EOleSysError : public EOleError {
public:
    explicit EOleSysError(HRESULT errorCode, std::string message = {});
    HRESULT ErrorCode() const noexcept { return errorCode_; }

private:
    HRESULT errorCode_;
};

// A dispatch call failed and the control described the failure itself: its description is
// the message; source and help come from the control's exception information.
class EOleException : public EOleSysError {
public:
    EOleException(std::string description, HRESULT errorCode, std::string source,
                  std::string helpFile, int helpContext);
    const std::string& Source() const noexcept { return source_; }
    const std::string& HelpFile() const noexcept { return helpFile_; }
    int HelpContext() const noexcept { return helpContext_; }

private:
    std::string source_;
    std::string helpFile_;
    int helpContext_;
};

// An interface reference could not be cast to the interface asked for.
class EIntfCastError : public Exception {
public:
    EIntfCastError();
    using Exception::Exception;
};

class EOutOfMemory : public Exception {
public:
    EOutOfMemory();
};

// A value could not be converted: text that is not a number, an impossible assignment
// between two objects, a number out of range.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An operation that the object's current state does not allow.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

class EDivByZero : public Exception {
public:
    EDivByZero();
};

// Component names and ownership: invalid or duplicate names.
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

// Published properties: unknown property, value of the wrong kind or out of range.
class EPropertyError : public Exception {
public:
    using Exception::Exception;
};

// Layouts (reading and writing component trees).
class EFilerError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EFilerError {
public:
    using EFilerError::EFilerError;
};
class EWriteError : public EFilerError {
public:
    using EFilerError::EFilerError;
};
class EClassNotFound : public EFilerError {
public:
    using EFilerError::EFilerError;
};
