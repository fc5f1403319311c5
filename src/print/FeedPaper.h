// The paper source and paper size a paper feed keeps with its registration, so
// that they stay the feed's whichever feed was selected before: read from the
// current printer's settings when the feed's printer is registered, and put in
// force again whenever the feed is selected.
#pragma once

#include <string>

namespace hoxa {

struct FeedPaper {
    std::string bin;    // the source's name as the driver lists it; empty: none kept
    std::string paper;  // the paper's name as the driver lists it, or a custom size
                        // as CustomPaperText gives it; empty: none kept

    bool operator==(const FeedPaper&) const = default;
};

// The current printer's source and paper (or custom size) as a feed keeps them;
// empty where its driver lists none.  Raises the printer layer's errors (no printer).
FeedPaper CurrentFeedPaper();

// Puts the feed's source and paper into the current printer's settings.  What is
// not kept (empty), a name the printer does not list and a custom size its
// driver does not take leave that setting as it is.  Raises the printer layer's
// errors (no printer).
void ApplyFeedPaper(const FeedPaper& paper);

}  // namespace hoxa
