// Shared set-up of the main-window tests: a private working folder, message boxes
// answered by the test, and key and input-method events that carry text.
#pragma once

#include "app/CpEdit.h"
#include "app/hoxa_dprintUnit.h"
#include "base/Codec.h"
#include "base/MsgBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QCheckBox>
#include <QLabel>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace hoxa::apptest {

struct Box {
    BoxKind kind;
    std::string text;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir_->isValid());
        oldDir_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_->path()));
        SetMessageBoxHook([this](BoxKind kind, const std::string& text) {
            // What the printer layer reports depends on the printers of the
            // machine the tests run on; those boxes are kept apart.
            if (text.rfind("TVp", 0) == 0) {
                printerBoxes.push_back({kind, text});
                return true;
            }
            boxes.push_back({kind, text});
            if (kind != BoxKind::Question && kind != BoxKind::QuestionDefaultNo) return true;
            if (onQuestion) onQuestion(text);
            if (answers.empty()) return false;
            const bool a = answers.front();
            answers.pop_front();
            return a;
        });
    }

    void TearDown() override
    {
        if (form) form->close();
        form.reset();
        SetMessageBoxHook({});
        QDir::setCurrent(oldDir_);
        QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Shows the main window (its start sequence runs) and waits until it is active.
    TForm_Main& Open()
    {
        form = std::make_unique<TForm_Main>();
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }

    // A first slot file, so that the start sequence runs to its end.
    void WriteSlot0(const std::string& content = "\r\n\r\n\r\n\r\n\r\n") { WriteFile("my0.txt", content); }

    template <class T = QWidget>
    T* C(const char* name) const
    {
        T* w = form->Control<T>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    TCpEdit* E(const char* name) const { return C<TCpEdit>(name); }

    QString Path(const char* name) const { return dir_->filePath(QString::fromLatin1(name)); }
    void WriteFile(const char* name, const std::string& bytes) const
    {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::string ReadFile(const char* name) const
    {
        QFile f(Path(name));
        if (!f.open(QIODevice::ReadOnly)) return "<missing>";
        return f.readAll().toStdString();
    }
    bool Exists(const char* name) const { return QFile::exists(Path(name)); }

    static QWidget* Focus() { return QApplication::focusWidget(); }

    // A key as the keyboard gives it, to whatever widget has the focus.
    static void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* w = Focus();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, key, mods);
    }
    // Typed characters, one key event each (a surrogate pair stays one character).
    static void Type(QWidget* w, const QString& text)
    {
        for (int i = 0; i < text.size(); ++i) {
            const int n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString ch = text.mid(i, n);
            i += n - 1;
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, ch);
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, ch);
            QApplication::sendEvent(w, &release);
        }
    }
    // Text committed by an input method.
    static void Commit(QWidget* w, const QString& text)
    {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(w, &e);
    }
    static QString Q(const char* cp932) { return ToQString(cp932); }

    int CountBoxes(BoxKind kind) const
    {
        int n = 0;
        for (const Box& b : boxes) n += b.kind == kind;
        return n;
    }

    std::unique_ptr<TForm_Main> form;
    std::vector<Box> boxes;
    std::vector<Box> printerBoxes;
    std::deque<bool> answers;
    std::function<void(const std::string&)> onQuestion;  // runs while a question is open

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString oldDir_;
};

}  // namespace hoxa::apptest
