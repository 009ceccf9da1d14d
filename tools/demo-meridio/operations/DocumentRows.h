#pragma once
// Rows of the SCWS results: column names and values that several operations write for documents.

#include "tools/demo-meridio/repository/Repository.h"

#include <pugixml.hpp>
#include <string>

namespace DemoMeridio {

// The server's object number of documents, the first part of their property names.
inline constexpr int kDocumentObject = 9;

// Adds the attribute that holds one column of a row in an SCWS result.
void SetColumn(pugi::xml_node row, const std::string& name, const std::string& value);

// The name under which the listing writes a property: "Prop_" object "_" type "_" id.
std::string PropertyColumn(int object, int type, int id);

// "1" for a locked document, else "0".
std::string LockFlag(const Document& document);

// The category id as text; empty for a document without category (id 0).
std::string CategoryText(const Document& document);

// The text of a custom property of the document, empty when it has none.
std::string CustomText(const Document& document, int type, int id);

} // namespace DemoMeridio
