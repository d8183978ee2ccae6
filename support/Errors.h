// Exceptions that carry a Shift-JIS message for the application's error report.
#pragma once

#include <stdexcept>
#include <string>

class EError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A data file could not be read or written; the message names the file.
class EFileError : public EError {
public:
    using EError::EError;
};

// "%s に書き込めません" with the path filled in.
std::string CannotWriteMessage(const std::string& path);
// "%s を読み込めません" with the path filled in.
std::string CannotReadMessage(const std::string& path);
// "%s はShift-JISのファイルではありません" with the path filled in.
std::string NotShiftJisMessage(const std::string& path);
