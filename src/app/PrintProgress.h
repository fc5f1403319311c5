// The print gate's questions as message boxes over a window, and, while the
// pages of a longer print are built, a progress bar with 中止 over it.
#pragma once

#include "print/PrintGate.h"

#include <cstddef>
#include <memory>
#include <string_view>

class QProgressDialog;
class QWidget;

namespace hoxa {

// A print of this many pages or more shows the progress bar.
inline constexpr std::size_t kProgressPages = 4;

class ProgressAsker : public PrintAsker {
public:
    explicit ProgressAsker(QWidget* parent);
    ~ProgressAsker() override;
    ProgressAsker(const ProgressAsker&) = delete;
    ProgressAsker& operator=(const ProgressAsker&) = delete;

    bool Ask(std::string_view question, DefaultAnswer def) override;
    // The bar ("送り状を作っています (12 / 200 件)"), shown from the first page
    // built; the events waiting are handled, so that 中止 (or Esc) can be
    // pressed between two pages.  false once it was.
    bool Progress(std::size_t done, std::size_t total) override;

private:
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> bar_;
};

}  // namespace hoxa
