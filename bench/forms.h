// A print server as a site with many label forms has it: the sample, then
// `count` user forms of the tape widths the models take, so every driver
// offers a share of them.
#pragma once

#include "platform/linux/spooler/server.h"

#include <string>

inline void LoadServerWithForms(long count)
{
    standin::spooler::LoadSample();
    for (long i = 0; i < count; ++i) {
        std::string digits = std::to_string(i);
        std::u16string name = u"Site label ";
        name.append(digits.begin(), digits.end());
        LONG width = 3500 + static_cast<LONG>(i % 33) * 1000;
        LONG length = 20000 + static_cast<LONG>(i % 81) * 1000;
        standin::spooler::FormConfig form{name, FORM_USER, {width, length}, {0, 0, width, length}, 0};
        standin::spooler::AddForm(form);
    }
}
