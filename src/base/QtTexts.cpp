#include "base/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QTranslator>

namespace hoxa {

bool InstallQtTranslation()
{
    static QTranslator* const translator = [] {
        auto* t = new QTranslator(QCoreApplication::instance());
        if (!t->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
            !QCoreApplication::installTranslator(t)) {
            delete t;
            return static_cast<QTranslator*>(nullptr);
        }
        return t;
    }();
    return translator != nullptr;
}

void WidenForCaptions(QMenu* menu)
{
    menu->ensurePolished();
    menu->setMinimumWidth(0);
    // One full-width character of room.
    menu->setMinimumWidth(menu->sizeHint().width() + menu->fontMetrics().horizontalAdvance(QChar(0x3000)));
}

}  // namespace hoxa
