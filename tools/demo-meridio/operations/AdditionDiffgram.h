#pragma once
// The addition diffgram of DMWS AddObject and AddObject2: parameter additionInfo holds a diffgr:diffgram
// of a DMDataSet whose rows are the objects to add.

#include "tools/demo-meridio/repository/Repository.h"

#include <pugixml.hpp>
#include <string_view>

namespace DemoMeridio {

// The DMDataSet inside the operation's additionInfo.
pugi::xml_node AdditionDataSet(const pugi::xml_node& operation);

// The one row of that table in the data set; none or several is a client fault.
pugi::xml_node SingleRow(const pugi::xml_node& dataSet, std::string_view table);

// Whether the data set holds a row of that table.
bool HasRow(const pugi::xml_node& dataSet, std::string_view table);

// An ACCESSCONTROL row: permission and a groupId or a userId.
AccessEntry AccessRow(const pugi::xml_node& row);

} // namespace DemoMeridio
