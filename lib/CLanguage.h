#pragma once
#include "CBase.h"

// Whether the product family is installed in Japanese.
class CLanguage : public virtual CBase {
public:
    ~CLanguage() override = default;

    // 1 for Japanese; throws the registry's report when the setting is
    // missing or unreadable.
    int IsJapanese();
};
