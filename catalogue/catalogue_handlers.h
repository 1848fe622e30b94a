#pragma once
// The window side of song list loading and suggestions. The control handlers themselves are
// declared with every other handler in shell/handlers.h.
#include <string_view>

#include "extract/text.h"

namespace melkora {

class MainWindow;

// Loads the song list into 超级列表框1 and says "数据解析出错" when a keyword search fails.
void load_song_list(MainWindow& window, std::string_view source_text);

// Takes the selected suggestion into 编辑框_输入 and loads the song list for it.
void accept_suggestion(MainWindow& window);

}  // namespace melkora
