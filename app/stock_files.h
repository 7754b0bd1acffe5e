#pragma once
#include "app/program_folder.h"

namespace app {

// Puts the files the program expects in its folder when they are missing: the blank picture
// tbkong.jpg that a waybill shows for a record without a photo.
void installStockFiles(const ProgramFolder &folder);

} // namespace app
