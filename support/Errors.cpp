#include "support/Errors.h"

std::string CannotWriteMessage(const std::string& path) { return path + " に書き込めません"; }

std::string CannotReadMessage(const std::string& path) { return path + " を読み込めません"; }

std::string NotShiftJisMessage(const std::string& path) { return path + " はShift-JISのファイルではありません"; }
