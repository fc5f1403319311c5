// "伝票番号入力": the tracking numbers of a batch's entries, one after the other
// in print order.  The clerk scans (or types) the first form's number; every
// following entry is offered the next serial with its check digit, which Enter
// takes and any scan overrides; "書き損じ" skips the number of a spoilt form,
// "飛ばす" leaves the entry without one.  Entries numbered already at the front
// are passed over, the serials following on from their numbers.
#pragma once

#include "journal/Journal.h"
#include "journal/Tracking.h"

#include <QDialog>

#include <map>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hoxa {

class TForm_TrackingWalk : public QDialog {
    Q_OBJECT
public:
    TForm_TrackingWalk(QWidget* parent, Journal& journal, const std::vector<JournalId>& entries, TrackingRule rule);

    const TrackingWalk& Walk() const { return walk_; }
    // Enter in the number box: the typed number, or with nothing typed the offered one.
    void Edit_NumberReturn();
    void BitBtn_SpoiltClick();  // 書き損じ
    void BitBtn_SkipClick();    // 飛ばす

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void ShowCurrent();

    Journal& journal_;
    TrackingWalk walk_;
    std::map<JournalId, JournalEntry> entries_;
    std::size_t stored_ = 0;
    QLabel* position_ = nullptr;
    QLabel* entry_ = nullptr;
    QLabel* offered_ = nullptr;
    QLineEdit* number_ = nullptr;
};

}  // namespace hoxa
