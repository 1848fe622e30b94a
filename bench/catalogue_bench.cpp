// Loading a 5,000-song keyword search into the real song list, and one suggestion round, against
// the sample service on loopback. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/catalogue-rel/bench/catalogue_bench [songs] [runs]
// Prints medians beside the floor measured in the same run: the two requests, the conversion,
// the cut and the parse, with no rows written.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/catalogue_addresses.h"
#include "catalogue/catalogue_handlers.h"
#include "catalogue/song_list_widget.h"
#include "extract/json_doc.h"
#include "sampleservice/sample_service.h"
#include "shell/controls.h"
#include "shell/main_window.h"
#include "shell/qt_text.h"
#include "web/page_request.h"
#include "web/pending_events.h"

using namespace melkora;

namespace {

double median_ms(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int k = 0; k < runs; ++k) {
        auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long resident_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

int parsed_song_count(const Text& keyword) {
    const int total = read_search_total(fetch_page(search_address(keyword, 1)));
    JsonDoc songs;
    if (!songs.parse(cut_search_lists(utf8_to_ansi(fetch_page(search_address(keyword, total)))))) return -1;
    std::vector<Text> names;
    return songs.member_names(names);
}

}  // namespace

int main(int argc, char** argv) {
    const int song_count = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    int qt_argc = 1;
    QApplication application(qt_argc, argv);

    sample::SampleService service({song_count, {}, 30});
    if (!service.start()) return 1;
    for (const char* name : {"MELKORA_SEARCH_HOST", "MELKORA_TIP_HOST", "MELKORA_WEB_HOST"})
        setenv(name, service.host_port().c_str(), 1);

    ProgramState state;
    MainWindow window(state);
    window.show();
    Controls& c = window.controls();
    const Text keyword = ansi("抖音");

    int parsed = 0;
    const double floor = median_ms(runs, [&] { parsed = parsed_song_count(keyword); });
    const double load = median_ms(runs, [&] { load_song_list(window, keyword); });
    const long rss = resident_kib();
    std::printf("songs found %d, rows written %d\n", parsed, c.超级列表框1->row_count());
    std::printf("keyword load: median %.1f ms; floor (two requests + parse) %.1f ms; ratio %.2f\n", load, floor,
                load / floor);
    std::printf("resident memory after the loads: %.1f MB\n", static_cast<double>(rss) / 1024.0);

    // For comparison: the same load with no event handling at all while the rows are written.
    set_pending_events_hook({});
    const double quiet = median_ms(runs, [&] { load_song_list(window, keyword); });
    set_pending_events_hook([] { QCoreApplication::processEvents(); });
    std::printf("keyword load without pending events: median %.1f ms\n", quiet);

    // Each round changes the text, so each raises text-changed and asks the service once.
    const QString texts[] = {QStringLiteral("Summer"), QStringLiteral("晚风")};
    int round = 0;
    const double suggestion = median_ms(runs * 5, [&] { c.编辑框_输入->setText(texts[round++ % 2]); });
    std::printf("suggestion round (text changed to list box filled, %d hints): median %.2f ms\n",
                c.列表框_预热->count(), suggestion);
    return 0;
}
