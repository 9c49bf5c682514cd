// trailwright: the wizard that builds an HTML site map of a local website.

#include "support/NXFiles.h"
#include "ui/Artwork.h"
#include "ui/Dialogs.h"
#include "ui/SiteMapMainForm.h"
#include "ui/Text.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace {

// Commands catch their own errors; this is the last stop for anything that
// still gets out, so that it is shown rather than ending the program inside
// Qt's event loop.
class TrailwrightApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            Report(QString::fromUtf8(e.what()));
        } catch (...) {
            Report(QStringLiteral("An unexpected error occurred"));
        }
        return false;
    }

private:
    static void Report(const QString& message) {
        QMessageBox::critical(activeWindow(), tw::ui::AppTitle(), tw::ui::ErrorBoxText(message));
    }
};

} // namespace

int main(int argc, char* argv[]) {
    tw::SetApplicationExeName(argc > 0 ? argv[0] : "");
    TrailwrightApplication app(argc, argv);
    QApplication::setApplicationName(tw::ui::AppTitle());
    QApplication::setWindowIcon(tw::ui::ProgramIcon());

    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();

    tw::ui::QtDialogs dialogs;
    tw::ui::TfrmSiteMapMain window(dialogs, arguments);
    window.show();
    return QApplication::exec();
}
