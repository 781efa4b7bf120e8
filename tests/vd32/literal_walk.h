// The snapshot walk as first written: add the folder, list its child folders in a first search,
// then search the folder a second time to walk into each of them. The one-enumeration walk must
// give the same lines byte for byte; the benchmark times both.
#pragma once

#include <string>

#include "vd32/FolderWalk.h"

void CollectFoldersTwoPass(const std::string& Path, LineSink& Lines);
