// A property map as JSON text: an array of {name, type, value}, the form the journal stores and the
// earlier mirror layout wrote beside each document. Dates are stored as the DATE number, so they
// read back exactly; the earlier layout's "yyyy-mm-ddThh:mm:ssZ" texts are read too.
#pragma once

#include "kova-sync/MapRef.h"

#include <string>

namespace KovaSync {

std::string EncodeProperties(const MapRef& map);
// Adds the properties of the text to the map; throws std::runtime_error for text that is not such
// an array, or that holds a number its property's type cannot hold.
void DecodeProperties(const std::string& text, const MapRef& map);

} // namespace KovaSync
