// JsonDoc over a realistic search answer of 5,000 songs (about 5 MB, 25 members per song,
// Chinese names): parse, then member_names plus three get_text calls per song ("[k].FileHash",
// "[k].SongName", "[k].AlbumName"), against the same work done directly on the Duktape API.
// Prints medians over repeated runs and the ratio to that floor.
//
//   build/extract-rel/bench/json_doc_bench [runs]
#include <duktape.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <string>
#include <vector>

#include "extract/json_doc.h"
#include "extract/text.h"

namespace {

using namespace melkora;
using Clock = std::chrono::steady_clock;

constexpr int k_songs = 5000;
const char* const k_fields[] = {"FileHash", "SongName", "AlbumName"};

std::string hex_hash(unsigned seed) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < 32; ++i) {
        seed = seed * 1103515245u + 12345u;
        out.push_back(digits[(seed >> 16) & 15]);
    }
    return out;
}

// One song with the members the search interface returns, in UTF-8.
std::string song(int k) {
    static const char* const singers[] = {"周杰伦", "林俊杰", "邓紫棋", "아이유", "陈奕迅", "Taylor Swift"};
    static const char* const titles[] = {"晴天", "江南", "光年之外", "좋은 날", "十年", "Love Story 🎵"};
    const std::string singer = singers[k % 6];
    const std::string title = std::string(titles[(k / 6) % 6]) + " (第" + std::to_string(k) + "版)";
    const std::string hash = hex_hash(static_cast<unsigned>(k));
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer,
        "{\"SongName\":\"%s\",\"SingerName\":\"%s\",\"FileName\":\"%s - %s\",\"AlbumName\":\"%s的专辑%d\","
        "\"FileHash\":\"%s\",\"HQFileHash\":\"%s\",\"SQFileHash\":\"%s\",\"AlbumID\":\"%d\","
        "\"MixSongID\":\"%d\",\"Audioid\":%d,\"FileSize\":%d,\"HQFileSize\":%d,\"SQFileSize\":%d,"
        "\"Duration\":%d,\"Bitrate\":128,\"ExtName\":\"mp3\",\"Privilege\":8,\"PayType\":3,"
        "\"OwnerCount\":%d,\"PublishDate\":\"2019-0%d-1%d\",\"OriSongName\":\"%s\",\"Accompany\":1,"
        "\"Grp\":[],\"TransParam\":{\"cid\":%d,\"display\":0,\"musicpack_advance\":1,\"pay_block_tpl\":1,"
        "\"cpy_attr0\":0,\"hash_multitrack\":\"%s\",\"union_cover\":\"http://imge.kugou.com/stdmusic/{size}/"
        "20190%d/%s.jpg\",\"language\":\"国语\",\"classmap\":{\"attr0\":100663304}},"
        "\"Scid\":%d,\"Type\":\"audio\",\"Source\":\"\",\"SourceID\":0,\"TopicUrl\":\"\",\"Publish\":1,"
        "\"songname_original\":\"%s\",\"Remark\":\"备注：这是一段比较长的说明文字，用来让每首歌接近一千字节。\"}",
        title.c_str(), singer.c_str(), singer.c_str(), title.c_str(), singer.c_str(), k, hash.c_str(),
        hex_hash(static_cast<unsigned>(k) + 7919u).c_str(), hex_hash(static_cast<unsigned>(k) + 104729u).c_str(),
        1000000 + k, 2000000 + k, 3000000 + k, 3000000 + k * 7, 7000000 + k * 9, 15000000 + k * 11,
        180000 + k % 90000, k % 100000, 1 + k % 9, k % 10, title.c_str(), 4000000 + k, hash.c_str(), 1 + k % 9,
        hash.c_str(), 5000000 + k, title.c_str());
    return buffer;
}

std::string answer_utf8() {
    std::string songs = "{\"status\":1,\"error_code\":0,\"data\":{\"page\":1,\"pagesize\":5000,\"lists\":[";
    for (int k = 0; k < k_songs; ++k) {
        if (k > 0) {
            songs += ',';
        }
        songs += song(k);
    }
    return songs + "],\"total\":5000}}";
}

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of this process: on a shared machine it tracks what an idle one would show
// better than the wall clock does.
double cpu_ms() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Timing {
    double parse = 0;
    double read = 0;
    double cpu = 0;  // parse and read together
};

// The song array as the catalogue hands it over: converted to code page 936 and cut out.
Timing run_json_doc(const Text& array, std::size_t& checksum) {
    Timing t;
    const double cpu_start = cpu_ms();
    auto start = Clock::now();
    JsonDoc doc;
    if (!doc.parse(array)) {
        std::fprintf(stderr, "parse failed\n");
        std::exit(1);
    }
    t.parse = ms_since(start);
    start = Clock::now();
    std::vector<Text> names;
    const int count = doc.member_names(names);
    for (int k = 0; k < count; ++k) {
        for (const char* field : k_fields) {
            checksum += doc.get_text("[" + names[static_cast<std::size_t>(k)] + "]." + field).size();
        }
    }
    t.read = ms_since(start);
    t.cpu = cpu_ms() - cpu_start;
    return t;
}

void check(duk_int_t rc, duk_context* ctx) {
    if (rc != DUK_EXEC_SUCCESS) {
        std::fprintf(stderr, "duktape: %s\n", duk_safe_to_string(ctx, -1));
        std::exit(1);
    }
}

// The floor: the same array in UTF-8 decoded by the engine, its keys enumerated and the same
// fields read as strings, with nothing around the API calls.
Timing run_floor(const std::string& array_utf8, std::size_t& checksum) {
    Timing t;
    const double cpu_start = cpu_ms();
    auto start = Clock::now();
    duk_context* ctx = duk_create_heap_default();
    duk_push_lstring(ctx, array_utf8.data(), array_utf8.size());
    check(duk_safe_call(ctx, [](duk_context* c, void*) -> duk_ret_t { duk_json_decode(c, -1); return 1; },
                        nullptr, 1, 1), ctx);
    t.parse = ms_since(start);
    start = Clock::now();
    std::vector<std::string> keys;
    duk_enum(ctx, -1, DUK_ENUM_ARRAY_INDICES_ONLY);
    while (duk_next(ctx, -1, 0)) {
        keys.emplace_back(duk_get_string(ctx, -1));
        duk_pop(ctx);
    }
    duk_pop(ctx);
    for (const std::string& key : keys) {
        duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(std::atoi(key.c_str())));
        for (const char* field : k_fields) {
            duk_get_prop_string(ctx, -1, field);
            duk_size_t length = 0;
            const char* value = duk_get_lstring(ctx, -1, &length);
            checksum += std::string(value ? value : "", length).size();
            duk_pop(ctx);
        }
        duk_pop(ctx);
    }
    t.read = ms_since(start);
    t.cpu = cpu_ms() - cpu_start;
    duk_destroy_heap(ctx);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string answer = answer_utf8();
    const Text array = text_between_outer(utf8_to_ansi(answer), "\"lists\":", ",\"total\"");
    const std::string array_utf8 = ansi_to_utf8(array);
    std::printf("answer: %.2f MB UTF-8, song array %.2f MB in code page 936, %d songs x 25 members, %d runs\n",
                answer.size() / 1e6, array.size() / 1e6, k_songs, runs);

    std::vector<double> parse, read, total, cpu, floor_parse, floor_read, floor_total, floor_cpu;
    std::size_t checksum = 0;
    std::size_t floor_checksum = 0;
    for (int i = 0; i < runs; ++i) {
        // Interleaved so that both see the same machine load.
        const Timing doc = run_json_doc(array, checksum);
        const Timing floor = run_floor(array_utf8, floor_checksum);
        parse.push_back(doc.parse);
        read.push_back(doc.read);
        total.push_back(doc.parse + doc.read);
        cpu.push_back(doc.cpu);
        floor_cpu.push_back(floor.cpu);
        floor_parse.push_back(floor.parse);
        floor_read.push_back(floor.read);
        floor_total.push_back(floor.parse + floor.read);
    }
    std::printf("%-48s %8s %8s %8s %8s\n", "median ms", "parse", "read", "total", "cpu");
    std::printf("%-48s %8.1f %8.1f %8.1f %8.1f\n", "JsonDoc (parse; member_names + 15000 get_text)",
                median(parse), median(read), median(total), median(cpu));
    std::printf("%-48s %8.1f %8.1f %8.1f %8.1f\n", "floor: the Duktape API directly", median(floor_parse),
                median(floor_read), median(floor_total), median(floor_cpu));
    std::printf("ratio JsonDoc / floor: %.2fx wall, %.2fx cpu   goal: total < 150 ms, ratio < 3x\n",
                median(total) / median(floor_total), median(cpu) / median(floor_cpu));
    std::printf("bytes read per run: %zu (code page 936) / %zu (UTF-8)\n", checksum / static_cast<std::size_t>(runs),
                floor_checksum / static_cast<std::size_t>(runs));
    return 0;
}
