// The program's failure kinds. Each carries the message shown to the user.
#pragma once
#include <exception>
#include <string>
#include <utility>

namespace mt {

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message) : message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return "Movetrail failure"; }
private:
    std::wstring message_;
};

// A failure that is reported to nobody: it only ends the handler.
class EAbort : public Exception {
public:
    EAbort() : Exception(L"") {}
};

// A media device failed or is missing.
class EMCIDeviceError : public Exception { using Exception::Exception; };
// The JPEG codec reported a fatal error.
class EJPEG : public Exception { using Exception::Exception; };
// A picture file or bitmap is malformed or unusable.
class EInvalidGraphic : public Exception { using Exception::Exception; };
// A stream could not be read or written.
class EReadError : public Exception { using Exception::Exception; };
class EWriteError : public Exception { using Exception::Exception; };
// A file could not be opened or created.
class EFOpenError : public Exception { using Exception::Exception; };
class EFCreateError : public Exception { using Exception::Exception; };
// A printer operation was refused.
class EPrinter : public Exception { using Exception::Exception; };
// A system call failed with an error code the program does not handle itself.
class EOSError : public Exception {
public:
    EOSError(unsigned long code, std::wstring message) : Exception(std::move(message)), code_(code) {}
    unsigned long Code() const noexcept { return code_; }
private:
    unsigned long code_;
};
// A picture format the program cannot handle.
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };
// Memory or a system resource ran out.
class EOutOfResources : public Exception { using Exception::Exception; };

}  // namespace mt
