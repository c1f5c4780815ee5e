// How the host shows the plug-in's records.
#pragma once

#include "platform/linux/spooler/server.h"
#include "src/records/records.h"

#include <string>
#include <vector>

namespace host {

// "Speed 4, Density 5, ..." for a stored settings value, or why it is not one.
std::string DescribeSettings(const std::vector<BYTE> &bytes, DWORD type);
// One line per OEMDEV field, "  Speed        4".
std::string DescribeOEMDev(const OEMDEV &record);
// A form as the user knows it: "12 x 40 mm, margins 1 / 1 mm".
std::string DescribeForm(const standin::spooler::FormConfig &form);

}  // namespace host
