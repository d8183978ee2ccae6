// Texts compared as the user's locale orders them (CompareStringW on the code-page-932
// conversion, case-sensitive).
#pragma once

#include "support/TextCollator.h"

class TUserLocaleCollator : public TTextCollator {
public:
    int Compare(const std::string& a, const std::string& b) const override;
};
