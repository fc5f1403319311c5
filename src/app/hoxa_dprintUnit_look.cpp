// The look of the main window that its form cannot hold: fonts in pixels (a form
// stores point sizes), colours taken from the desktop's palette, the sender tabs
// and the button pictures.  Fixed colours, bold and font families are in the form.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"

#include <QApplication>
#include <QDate>
#include <QIcon>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>

#include <algorithm>

namespace hoxa {

namespace {

const QColor kGrey(128, 128, 128);

void SetPixelSize(QWidget* w, int px)
{
    QFont f = w->font();
    f.setPixelSize(px);
    w->setFont(f);
}

// One of our own button pictures.  The desktop's icon theme is not asked: reading
// its index would slow the start for a handful of pictures.
QIcon ButtonPicture(const char* picture)
{
    return QIcon(QStringLiteral(":/app/%1.png").arg(QLatin1String(picture)));
}

// The tab strip's own spacing: the room the style leaves around a caption, and
// a tab exactly as high as the strip.
class TabStripStyle : public QProxyStyle {
public:
    TabStripStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}
    void SetSpace(int h, int v)
    {
        hSpace_ = h;
        vSpace_ = v;
    }
    int pixelMetric(PixelMetric m, const QStyleOption* option, const QWidget* widget) const override
    {
        if (m == PM_TabBarTabHSpace && hSpace_ >= 0) return hSpace_;
        if (m == PM_TabBarTabVSpace && vSpace_ >= 0) return vSpace_;
        return QProxyStyle::pixelMetric(m, option, widget);
    }

private:
    int hSpace_ = -1;
    int vSpace_ = -1;
};

// Fits the tabs into the strip: every tab as high as the strip, and all of them
// in sight at the largest caption size from `px` down to `minPx` that lets them,
// with as much room around each caption as is left (at most the style's own).
// When even the smallest size needs more than the strip's width, the tabs keep
// `px` and the strip scrolls.  The widths are worked out from the captions'
// measures; the tabs are laid out only to learn what the style adds to each and
// to apply the choice (laying them out for every size tried would slow the start).
void FitTabs(QTabBar* bar, int px, int minPx)
{
    auto* style = new TabStripStyle;
    style->setParent(bar);
    bar->setStyle(style);
    const int styleSpace = style->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
    const auto apply = [bar, style](int size, int hSpace) {
        QFont f = bar->font();
        f.setPixelSize(size);
        bar->setFont(f);
        style->SetSpace(hSpace, std::max(0, bar->height() - QFontMetrics(f).height()));
        QEvent changed(QEvent::StyleChange);  // lays the tabs out anew
        QApplication::sendEvent(bar, &changed);
        int width = 0;
        for (int i = 0; i < bar->count(); ++i) width += bar->tabRect(i).width();
        return width;
    };
    const auto captions = [bar](int size) {
        QFont f = bar->font();
        f.setPixelSize(size);
        const QFontMetrics fm(f);
        int width = 0;
        for (int i = 0; i < bar->count(); ++i) width += fm.size(Qt::TextShowMnemonic, bar->tabText(i)).width();
        return width;
    };
    const int laidOut = apply(px, styleSpace);
    if (laidOut <= bar->width()) return;
    // What the style gives every tab beside its caption and the spacing.
    const int extra = laidOut - captions(px) - bar->count() * styleSpace;
    for (int size = px; size >= minPx; --size) {
        const int room = bar->width() - captions(size) - bar->count() * extra;
        const int hSpace = std::min(styleSpace, room / std::max(1, bar->count()));
        if (hSpace >= 2 && apply(size, hSpace) <= bar->width()) return;
    }
    apply(px, styleSpace);
}

}  // namespace

void TForm_Main::SetFill(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}

void TForm_Main::SetupLook()
{
    auto& u = *ui_;
    const std::pair<QWidget*, int> pixelSizes[] = {
        {u.Label_Dest, 16}, {u.Label_D1, 16}, {u.Label_D2, 16}, {u.Label_D3, 16}, {u.Label_D4, 16},
        {u.Label_D5, 16}, {u.Label_Warning, 13}, {u.Label_BitBtn1, 11}, {u.Label_MemoCLS, 11},
        {u.Label_CLS, 11}, {u.Label_BitBtnMy, 11}, {u.Memo1, 13}, {u.Label_MemoUnder, 11},
        // sender panel
        {u.CheckBox_My, 15}, {u.Label_M1, 15}, {u.Label_M2, 15},
        {u.Label_M4, 15}, {u.Label_M5, 15}, {u.Edit_MyZip, 15}, {u.Edit_MyADD1, 15},
        {u.Edit_MyADD2, 15}, {u.Edit_My, 15}, {u.Edit_MyTEL, 15},
        // goods and printer
        {u.DateTimePicker_1, 13}, {u.Label_DeDate, 13}, {u.Edit_de_date1, 13},
        {u.Edit_de_date2, 13}, {u.Edit_de_date3, 13}, {u.Label_Goods, 16}, {u.Edit_G1, 16},
        {u.Edit_G2, 16}, {u.Edit_G3, 16}, {u.GroupBox_Prn, 12}, {u.ComboBox1, 12},
        {u.ComboBox2, 12}, {u.ComboBox3, 12}, {u.Label_SEL, 15}, {u.ComboBox_SEL, 15},
        {u.BitBtn_PrnSet, 12}, {u.BitBtn_PrnSet2, 12}, {u.Label_Prn_Top, 11},
        {u.Label_Prn_Left, 11}, {u.BitBtn_SendMail, 12},
    };
    for (const auto& [w, px] : pixelSizes) SetPixelSize(w, px);
    // Function-key bar: F2 and F11 larger, F6 smaller, F10 so that its five
    // characters fit its button.
    const std::array<QWidget*, 12> keys = FunctionKeys();
    for (QWidget* b : keys) SetPixelSize(b, 13);
    SetPixelSize(u.SpeedButton_F2, 15);
    SetPixelSize(u.SpeedButton_F11, 15);
    SetPixelSize(u.SpeedButton_F6, 12);
    SetPixelSize(u.SpeedButton_F10, 10);

    for (QComboBox* c : {u.ComboBox1, u.ComboBox2, u.ComboBox3}) {
        SetFill(c, palette().color(QPalette::Button));
        // Display boxes: the printer box's text is stored as the registered
        // printer's name and the printer is found again by it, so it must show
        // the chosen printer, never something typed into it.
        c->lineEdit()->setReadOnly(true);
    }

    // Guidance panel in the tooltip fill colour.
    QPalette help = u.Panel_HelpMess->palette();
    help.setColor(QPalette::Window, help.color(QPalette::ToolTipBase));
    help.setColor(QPalette::WindowText, help.color(QPalette::ToolTipText));
    u.Panel_HelpMess->setPalette(help);
    u.StatusBar1->setSizeGripEnabled(false);

    // Sender tabs: only the strip is used.
    u.PageControl_My->setDrawBase(false);
    u.PageControl_My->setExpanding(false);
    u.PageControl_My->setUsesScrollButtons(true);  // should the captions not fit at a readable size
    for (int i = 1; i <= 10; ++i) {
        const int t = u.PageControl_My->addTab(QStringLiteral(u"依頼主%1").arg(i));
        u.PageControl_My->setTabTextColor(t, kGrey);
    }
    // At 12 pixels the ten captions alone are wider than the 440-pixel strip.
    FitTabs(u.PageControl_My, 12, 10);
    u.PageControl_My->setCurrentIndex(0);
    for (QToolButton* arrow : u.PageControl_My->findChildren<QToolButton*>()) arrow->setFocusPolicy(Qt::NoFocus);

    RequestImeMode(u.DateTimePicker_1, ImeMode::Disabled);
    for (QLineEdit* inner : u.DateTimePicker_1->findChildren<QLineEdit*>())
        RequestImeMode(inner, ImeMode::Disabled);
    u.DateTimePicker_1->setDate(QDate::currentDate());

    // Buttons that a click moves the focus to, as the keyboard reaches them too.
    u.BitBtn_My->setFocusPolicy(Qt::StrongFocus);
    u.BitBtn_SendMail->setFocusPolicy(Qt::StrongFocus);
}

void TForm_Main::SetupPictures()
{
    auto& u = *ui_;
    struct Picture {
        QToolButton* button;
        const char* name;
        int size;  // 0: the button's own icon size
    };
    const Picture pictures[] = {
        {u.BitBtn_1, "transfer", 32},     {u.BitBtn_MemoCLS, "clear", 0},  {u.BitBtn_CLS, "clear", 28},
        {u.BitBtn_My, "save", 28},        {u.BitBtn_WebHelp, "help", 28},  {u.BitBtn_SendMail, "mail", 14},
        {u.BitBtn_PrnSet, "printer", 0},  {u.BitBtn_PrnSet2, "margin", 0},
    };
    for (const Picture& p : pictures) {
        p.button->setIcon(ButtonPicture(p.name));
        if (p.size > 0) p.button->setIconSize(QSize(p.size, p.size));
    }
}

QIcon ApplicationIcon() { return ButtonPicture("hoxa-nivora"); }

}  // namespace hoxa
