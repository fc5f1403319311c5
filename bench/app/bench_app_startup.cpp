// Start-up of the main window up to its first paint, beside a bare Qt window
// holding the same number of widgets of the same kinds, in the same run.
#include "app/hoxa_dprintUnit.h"
#include "base/Fonts.h"
#include "base/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QAbstractButton>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

// Shows the window and returns the seconds from `start` to its first paint.
double ShowUntilPainted(QWidget& w, const QElapsedTimer& start)
{
    PaintWatch watch;
    w.installEventFilter(&watch);
    w.show();
    while (!watch.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double s = static_cast<double>(start.nsecsElapsed()) * 1e-9;
    w.removeEventFilter(&watch);
    return s;
}

// The widgets the form itself creates (not the inner parts Qt adds to them).
struct Part {
    const QMetaObject* kind = nullptr;
    QRect geometry;
    QString text;
    QStringList items;
    QFont font;
    QPalette palette;
    int frameStyle = -1;
    QIcon icon;
    bool hidden = false;
};
std::vector<Part> FormParts()
{
    hoxa::TForm_Main form;
    std::vector<Part> parts;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        Part p;
        p.kind = w->metaObject();
        p.geometry = QRect(w->mapTo(&form, QPoint(0, 0)), w->size());
        p.font = w->font();
        p.palette = w->palette();
        if (auto* f = qobject_cast<QFrame*>(w)) p.frameStyle = f->frameStyle();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) p.icon = b->icon();
        p.hidden = w->isHidden();
        if (auto* l = qobject_cast<QLabel*>(w)) p.text = l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) p.text = b->text();
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i) p.items << c->itemText(i);
        if (auto* t = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < t->count(); ++i) p.items << t->tabText(i);
        parts.push_back(p);
    }
    return parts;
}

QWidget* MakeBare(const QMetaObject* kind, QWidget* parent)
{
    auto is = [kind](const QMetaObject& m) { return kind->inherits(&m); };
    if (is(QLineEdit::staticMetaObject)) return new QLineEdit(parent);
    if (is(QPlainTextEdit::staticMetaObject)) return new QPlainTextEdit(parent);
    if (is(QComboBox::staticMetaObject)) return new QComboBox(parent);
    if (is(QCheckBox::staticMetaObject)) return new QCheckBox(parent);
    if (is(QToolButton::staticMetaObject)) return new QToolButton(parent);
    if (is(QDateEdit::staticMetaObject)) return new QDateEdit(parent);
    if (is(QTabBar::staticMetaObject)) return new QTabBar(parent);
    if (is(QGroupBox::staticMetaObject)) return new QGroupBox(parent);
    if (is(QStatusBar::staticMetaObject)) return new QStatusBar(parent);
    if (is(QLabel::staticMetaObject)) return new QLabel(parent);
    if (is(QFrame::staticMetaObject)) return new QFrame(parent);
    return new QWidget(parent);
}

void BM_MainWindowFirstPaint(benchmark::State& state)
{
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        auto form = std::make_unique<hoxa::TForm_Main>();
        state.SetIterationTime(ShowUntilPainted(*form, t));
        form->close();
        form.reset();
        QCoreApplication::processEvents();
    }
}

// The same widgets with the same texts, fonts, colours, frames and pictures,
// built by hand: what Qt needs to show this window without any of our code.
void BuildSameLook(QWidget* window, const std::vector<Part>& parts)
{
    for (const Part& p : parts) {
        QWidget* w = MakeBare(p.kind, window);
        w->setGeometry(p.geometry);
        w->setFont(p.font);
        w->setPalette(p.palette);
        if (p.hidden) w->hide();
        if (auto* f = qobject_cast<QFrame*>(w); f && p.frameStyle >= 0) f->setFrameStyle(p.frameStyle);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setIcon(p.icon);
        if (auto* l = qobject_cast<QLabel*>(w)) l->setText(p.text);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(p.text);
        if (auto* c = qobject_cast<QComboBox*>(w)) c->addItems(p.items);
        if (auto* t = qobject_cast<QTabBar*>(w))
            for (const QString& s : p.items) t->addTab(s);
    }
}

// Times a bare 677 x 646 window filled by `fill`, up to its first paint.
template <class Fill>
void TimeBareWindow(benchmark::State& state, Fill fill)
{
    static const std::vector<Part> parts = FormParts();
    state.counters["widgets"] = static_cast<double>(parts.size());
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        auto window = std::make_unique<QWidget>();
        window->setFixedSize(677, 646);
        fill(window.get(), parts);
        state.SetIterationTime(ShowUntilPainted(*window, t));
        window.reset();
        QCoreApplication::processEvents();
    }
}

void BM_SameLookBareWindowFirstPaint(benchmark::State& state) { TimeBareWindow(state, BuildSameLook); }

void BM_BareWindowFirstPaint(benchmark::State& state)
{
    TimeBareWindow(state, [](QWidget* window, const std::vector<Part>& parts) {
        for (const Part& p : parts) MakeBare(p.kind, window)->setGeometry(p.geometry);
    });
}

void BM_MainWindowConstructOnly(benchmark::State& state)
{
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        auto form = std::make_unique<hoxa::TForm_Main>();
        state.SetIterationTime(static_cast<double>(t.nsecsElapsed()) * 1e-9);
        form.reset();
    }
}
BENCHMARK(BM_MainWindowConstructOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

BENCHMARK(BM_MainWindowFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_BareWindowFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_SameLookBareWindowFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    hoxa::InstallFontSubstitutions();
    // The window reads and writes its files in the current folder: use a private one
    // with a first sender slot, and answer any message box at once.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QFile slot(QStringLiteral("my0.txt"));
    if (slot.open(QIODevice::WriteOnly)) slot.write("\r\n\r\n\r\n\r\n\r\n");
    slot.close();
    hoxa::SetMessageBoxHook([](hoxa::BoxKind, const std::string&) { return false; });

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
