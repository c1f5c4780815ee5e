// What a ticket asks of each of the plug-in's settings, read on its own
// with libxml2 from the text, not through the plug-in's DOM helper: the
// first Feature or ParameterInit among the root's children whose name is
// the setting's, its first Option's name or its Value's number. The
// ticket targets hold the conversions to it.
#pragma once

#include "platform/win32.h"

#include <string>
#include <vector>

namespace fuzz {

enum class Asks {
    Nothing,  // no such element, or it names no option or value of the list
    Value,    // a valid value: an option of the list, a number in bounds
    Unclear,  // a name or number that a reader may take either way
};

struct TicketField {
    std::string name;
    size_t field;  // offset in OEMDEV
    Asks asks = Asks::Nothing;
    LONG value = 0;      // with Asks::Value: the option's position, the millimetres
    bool found = false;  // the element (with its Option or Value) is there
};

// The five parameters, the fourteen private features and PageResolution, in
// that order; empty when the text is no document.
std::vector<TicketField> ReadTicketFields(const std::string &utf8);

// The UTF-16 text as UTF-8.
std::string Narrow(const std::u16string &text);

}  // namespace fuzz
