#pragma once

#include <functional>

#include "workspace/workspace.h"
#include "metadata/playlist_view.h"

// The operations behind the window's buttons. Each runs to its end on the
// calling thread (the window calls them on its worker thread). The window
// takes a set of them so that tests can put in operations of their own.
struct OperationSet {
  std::function<void(vantrel::Workspace&)> readEVO;
  std::function<void(vantrel::Workspace&)> demux;
  std::function<void(vantrel::Workspace&)> rebuild;
  std::function<void(vantrel::Workspace&, vantrel::PlaylistView&)> readXPL;
  std::function<void(vantrel::Workspace&, const vantrel::PlaylistView&)> writeChaps;
  std::function<void(vantrel::Workspace&)> readVTI;
};

// The program's own operations.
OperationSet defaultOperations();
