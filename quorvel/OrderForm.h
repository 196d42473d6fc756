// The order form for a catalogue update: who orders (the user's record),
// where the order goes, and the print through the reporting layer.
#pragma once

#include "platform/report/PrintEntry.h"
#include "values/CAnwender.h"

#include <string>

// The address that receives the orders.
struct OrderAddress {
    std::string firm, street, town, telephone, fax;
};
const OrderAddress& TheOrderAddress();

// The catalogue's date, profile "Datenbank"/"Stand_W".
std::string CatalogueDate();

// The order form's layout: profile "LuL"/"FormWdb"; when the key is absent,
// the order form of the data directory. An empty value prints nothing.
std::string OrderFormLayout();

// The print of the order form on layoutFile: the sender and order address
// as variables, ten rows of X, Y and Z. mode as the reporting layer's
// print modes; the designer switch from "LuL"/"Designer".
vx::report::PrintEntry OrderFormEntry(const CAnwender& sender, const OrderAddress& address,
                                      const std::string& layoutFile, int mode);
