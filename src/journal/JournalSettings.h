// The journal's settings, in their own section of hoxa_NIVORA.ini:
//   [hoxa_Journal]
//   Server=host=db.example port=5432 dbname=hoxa user=shop
//   Courier=yamato
// Server= is a libpq connection string; empty or missing: the local file.  A
// password never goes here: ~/.pgpass or the environment's PGPASSWORD hold it.
// Courier= is a key of Couriers() (yamato, sagawa, japanpost, other).
#pragma once

#include "journal/Couriers.h"
#include "journal/Journal.h"

#include <string>

namespace hoxa {

struct JournalSettings {
    std::string server;   // UTF-8, as libpq takes it
    std::string courier;  // the courier's key
};

// Reads the section from the settings file in dir; a missing file, section or
// key gives the local file and the first courier.
JournalSettings LoadJournalSettings(const std::string& dir);

// Where the journal of the program working in dir lives.
JournalPlace JournalPlaceFor(const std::string& dir, const JournalSettings& settings);

}  // namespace hoxa
