#pragma once

#include <cstdint>
#include <ostream>

class CDatabaseFiles;

// The three card panes of the tree item at a position, as the main dialog
// shows them: the caption template freshly loaded from strDir, then the card
// of the item's record (or of a group) written behind it, by the dialog's
// own code. Writes {"panes":[{"control":1000,"text":...},{"control":1003,...},
// {"control":1001,...}]} with the texts in UTF-8 and "\r\n" line ends kept.
// False when the template cannot be opened: the panes are then written
// empty, which is what the viewer shows.
bool WriteCard(CDatabaseFiles& files, const std::string& strDir, std::int32_t nItem,
               std::ostream& out);
