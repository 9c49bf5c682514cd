#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A website folder made by the test in a temporary folder.
class TestSite {
public:
    TestSite();
    bool IsValid() const { return dir_.isValid(); }
    // The site folder with a trailing "/".
    QString Root() const;
    std::string RootStd() const { return Root().toStdString(); }
    QString Path(const QString& relative) const { return Root() + relative; }
    std::string PathStd(const QString& relative) const { return Path(relative).toStdString(); }
    void WriteFile(const QString& relative, const QByteArray& content = {});
    void MakeFolder(const QString& relative);
    // A page with a title element.
    void WritePage(const QString& relative, const QString& title);

private:
    QTemporaryDir dir_;
};

// Writes a file at a full path, making its folders.
void WriteAbsolute(const QString& path, const QByteArray& content);
// The whole file, or "<unreadable>".
QByteArray ReadAll(const QString& path);

template <typename T> T* Find(const QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// Runs Fn on the next modal dialog, from its own event loop.
void WhenModal(std::function<void(QWidget*)> fn);

// Hands the event loop its events until Done is true, with no time limit: only
// for what pending events are sure to bring about (the test's timeout catches
// a hang).
void ProcessEventsUntil(const std::function<bool()>& done);

// Qt lands the click of an accelerator key (or of animateClick) on its button
// 100 ms after the key, at whatever round of events comes then, even on a
// button disabled meanwhile. This lands every such pending click in Window at
// once, through Qt's own timer event, so that the test picks the moment, not
// the clock. Returns how many landed.
int LandKeyboardClicks(const QWidget* window);

// Test classes register themselves so that one program runs them all, or
// the one named on its command line.
using TestFactory = std::function<QObject*()>;
std::vector<std::pair<QString, TestFactory>>& TestRegistry();
struct RegisterTest {
    RegisterTest(const char* name, TestFactory factory);
};
#define TW_GUI_TEST(Class)                                                                         \
    static const RegisterTest registered##Class(#Class, [] { return new Class; });
