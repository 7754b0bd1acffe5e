// velbor: the desktop client.

#include "app/login_controller.h"
#include "app/login_dialog.h"
#include "app/main_controller.h"
#include "app/main_window.h"
#include "app/prompt_service.h"
#include "app/stock_files.h"
#include "data/data_module.h"
#include "print/fonts.h"

#include <QApplication>
#include <QFont>
#include <malloc.h>

namespace {

// A failure no command caught ends that command with its message; the program keeps running.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const data::Abort &) {
        } catch (const wire::ServerError &e) {
            app::prompts().notice(e.message());
        } catch (const std::exception &e) {
            app::prompts().notice(QString::fromUtf8(e.what()));
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    // Pages of thousands of rows come and go; keeping what they free in the heap spares the kernel
    // handing out and zeroing those pages again on every page turn.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    Application application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velbor"));
    // Forms are set in 宋体; here it is a Song-style CJK face.
    print::installSongSubstitution();

    app::ProgramFolder folder = app::ProgramFolder::fromArguments(QApplication::arguments());
    folder.ensure();
    app::installStockFiles(folder);
    app::MainState state;
    state.programFolder = folder.root();
    data::WorkingCopyLists lists;
    data::TDataModule1 dm(state, lists);
    app::LoginController login(dm, state, folder);

    app::Tmain window(state, dm);
    app::MainController controller(window, dm, state, lists, login, folder);
    {
        app::Tkhdlw dialog(login, nullptr);
        dialog.exec();
    }
    if (!state.loginCompleted)
        return 0;
    window.showMaximized();
    controller.activate();
    return QApplication::exec();
}
