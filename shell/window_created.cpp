#include "shell/window_created.h"

#include "extract/text.h"
#include "shell/handlers.h"
#include "shell/instance_scan.h"
#include "shell/main_window.h"
#include "shell/message_box.h"

namespace melkora {

StartDecision main_window_created(MainWindow& window) {
    delete_temp_copy(window);
    apply_volume(window);
    set_engine_network_options(window);
    sync_layout(window, true);
    // After the layout, so that a stored height grows too.
    const QSize size = window.outer_size();
    window.set_outer_size(size.width(), size.height() + 10);
    if (!another_instance_running()) return StartDecision::run_on;
    return ask_about_second_copy();
}

StartDecision ask_about_second_copy() {
    if (message_box(ansi("程序已经运行了，是否多开？"), MessageIcon::question, MessageButtons::yes_no,
                    ansi("询问你要不要多开啊:")) != MessageAnswer::yes) {
        return StartDecision::end_program;
    }
    const Text warning = ansi("多开后不建议，批量访问下载 这样网络将会最大输出，可能会造成其他软件网络波动(断开),") +
                         "\r\n\r\n" + ansi("     你确定想好了 - 多开 - 了吗？");
    if (message_box(warning, MessageIcon::warning, MessageButtons::ok_cancel) != MessageAnswer::ok) {
        return StartDecision::end_program;
    }
    message_box(ansi("其实我是不建议多开的。哎！！！！"), MessageIcon::information);
    return StartDecision::run_on;
}

}  // namespace melkora
