// How the host shows the plug-in's records.
#pragma once

#include "platform/linux/spooler/server.h"
#include "src/records/records.h"

#include <string>
#include <vector>

namespace host {

// "Speed 4, Density 5, ..." for a stored settings value, or why it is not one.
std::string DescribeSettings(const std::vector<BYTE> &bytes, DWORD type);
// The stored distributed printing list: first what it is ("2 entries", or
// why it is not a list), then "[0] checked \"NAME\", comment \"TEXT\"" for
// each entry that lies inside the value, never more than its Count.
std::vector<std::string> DescribeDistributedList(const std::vector<BYTE> &bytes, DWORD type);
// The printer sheet's stored item selection ("OEMUI_VALUE"): "7", or why the
// plug-in shows 0.
std::string DescribeItemValue(const std::vector<BYTE> &bytes, DWORD type);
// One line per OEMDEV field, "  Speed        4".
std::string DescribeOEMDev(const OEMDEV &record);
// A form as the user knows it: "12 x 40 mm, margins 1 / 1 mm".
std::string DescribeForm(const standin::spooler::FormConfig &form);

}  // namespace host
