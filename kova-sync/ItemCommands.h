// "kova-sync checkout|cancel-checkout|status|link FILE": one host call of the filter on a mirrored
// document, made as the engine makes it on a synced item: within a sync of the mirror's main folder,
// after the document's folder was listed.
#pragma once

#include <string>

namespace KovaSync {

enum class ItemCommand { Checkout, CancelCheckout, Status, Link };

int RunItemCommand(ItemCommand command, const std::string& file);

} // namespace KovaSync
