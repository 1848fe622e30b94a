#include "catalogue/catalogue_handlers.h"

#include <QLineEdit>
#include <QListWidget>

#include <vector>

#include "catalogue/song_list_loading.h"
#include "catalogue/song_list_widget.h"
#include "catalogue/suggestions.h"
#include "shell/controls.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/qt_text.h"

namespace melkora {

namespace {

constexpr int k_key_enter = 13;
constexpr int k_key_up = 38;
constexpr int k_key_down = 40;

void load_song_list_for_input(MainWindow& window) {
    load_song_list(window, from_qstring(window.controls().编辑框_输入->text()));
}

void fill_suggestion_box(QListWidget& box, const std::vector<Text>& hints) {
    box.clear();
    for (std::size_t k = 0; k < hints.size(); ++k) {
        auto* item = new QListWidgetItem(to_qstring(hints[k]));
        item->setData(Qt::UserRole, static_cast<int>(k));  // the item number
        box.addItem(item);
    }
    box.setVisible(!hints.empty());
}

}  // namespace

void load_song_list(MainWindow& window, std::string_view source_text) {
    if (load_song_list(source_text, *window.controls().超级列表框1) == LoadOutcome::parse_failed)
        message_box(ansi("数据解析出错"));
}

void accept_suggestion(MainWindow& window) {
    Controls& c = window.controls();
    QListWidgetItem* selected = c.列表框_预热->currentItem();
    // Qt raises text-changed for this change, so suggestions for the chosen text arrive here
    // and are hidden again right after.
    c.编辑框_输入->setText(selected ? selected->text() : QString());
    c.列表框_预热->hide();
    load_song_list_for_input(window);
}

void get_list_clicked(MainWindow& window) {
    window.controls().列表框_预热->hide();
    load_song_list_for_input(window);
}

void show_suggestions(MainWindow& window) {
    Controls& c = window.controls();
    fill_suggestion_box(*c.列表框_预热, fetch_suggestions(from_qstring(c.编辑框_输入->text())));
}

void input_key_pressed(MainWindow& window, int key_code) {
    Controls& c = window.controls();
    if (key_code == k_key_enter) {
        c.列表框_预热->hide();
        load_song_list_for_input(window);
    } else if (key_code == k_key_down) {
        c.列表框_预热->setFocus();
        c.列表框_预热->setCurrentRow(0);
    }
}

// The list box moves its selection after this has seen the key: Up on the second item arms
// the flag on its way to the first, and the next Up returns to the input box.
void suggestion_key_pressed(MainWindow& window, int key_code) {
    Controls& c = window.controls();
    bool& armed = window.state().up_key_armed;
    if (key_code == k_key_enter) {
        accept_suggestion(window);
    } else if (key_code == k_key_up) {
        if (armed) {
            c.编辑框_输入->setFocus();
            armed = false;
            c.编辑框_输入->setSelection(0, static_cast<int>(c.编辑框_输入->text().size()));
        }
        if (c.列表框_预热->currentRow() == 1) armed = true;
    } else if (key_code == k_key_down) {
        armed = false;
    }
}

void suggestion_clicked(MainWindow& window) { accept_suggestion(window); }

}  // namespace melkora
