#include "sampleservice/sample_answers.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>

namespace melkora::sample {

namespace {

// Decodes one UTF-8 sequence at `pos`; malformed bytes come out as themselves, one at a time.
std::uint32_t next_code_point(const std::string& text, std::size_t& pos) {
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    std::uint32_t lead = byte(pos);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (pos + static_cast<std::size_t>(extra) >= text.size()) extra = 0;
    std::uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (byte(pos + static_cast<std::size_t>(k)) & 0x3Fu);
    pos += static_cast<std::size_t>(extra) + 1;
    return code;
}

void append_u_escape(std::string& out, std::uint32_t unit) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(unit));
    out += buffer;
}

void append_escaped_code_point(std::string& out, std::uint32_t code) {
    if (code < 0x10000) {
        append_u_escape(out, code);
        return;
    }
    code -= 0x10000;
    append_u_escape(out, 0xD800 + (code >> 10));
    append_u_escape(out, 0xDC00 + (code & 0x3FF));
}

std::string time_tag(int centiseconds) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "[%02d:%02d.%02d]", centiseconds / 6000, centiseconds / 100 % 60,
                  centiseconds % 100);
    return buffer;
}

// Members a real search element carries beside the three the program reads; the nested "Grp"
// array puts a "}]" inside the element, ahead of the end of the list.
std::string search_element(const SampleSong& song) {
    auto size = std::to_string(song.seconds * 16000);
    std::string grp = "[{\"FileName\":" + json_string(song.file_name() + " (Live)") +
                      ",\"FileHash\":\"" + song.hash + "\",\"Bitrate\":128,\"Grp\":[]}]";
    return "{\"SongName\":" + json_string(song.title) + ",\"OwnerCount\":" + std::to_string(song.index % 97) +
           ",\"SingerName\":" + json_string(song.singer) + ",\"AlbumName\":" + json_string(song.album) +
           ",\"Duration\":" + std::to_string(song.seconds) + ",\"FileSize\":" + size +
           ",\"ExtName\":\"mp3\",\"HQFileHash\":\"\",\"SQFileHash\":\"\",\"MvHash\":\"\",\"Grp\":" + grp +
           ",\"FileName\":" + json_string(song.file_name()) + ",\"FileHash\":\"" + song.hash +
           "\",\"AlbumID\":\"" + song.album_id + "\",\"Privilege\":0}";
}

std::string tip_record(const std::string& hint, int hot) {
    return "{\"HintInfo\":" + json_string(hint) + ",\"HintInfo2\":\"\",\"Hot\":" + std::to_string(hot) +
           ",\"IsKgSong\":1}";
}

std::string tip_group(const std::vector<std::string>& hints, const std::string& label) {
    std::string records;
    for (std::size_t k = 0; k < hints.size(); ++k) {
        if (k) records += ',';
        records += tip_record(hints[k], static_cast<int>(9000 - 37 * k));
    }
    return "{\"RecordDatas\":[" + records + "],\"RecordCount\":" + std::to_string(hints.size()) +
           ",\"LableName\":" + json_string(label) + "}";
}

std::vector<std::string> distinct_titles(const std::vector<const SampleSong*>& found, int limit,
                                         const std::string& suffix) {
    std::vector<std::string> titles;
    std::set<std::string> seen;
    for (const auto* song : found) {
        if (static_cast<int>(titles.size()) >= limit) break;
        if (seen.insert(song->title).second) titles.push_back(song->title + suffix);
    }
    return titles;
}

}  // namespace

std::string json_string(const std::string& utf8, bool ascii_only) {
    std::string out = "\"";
    for (std::size_t pos = 0; pos < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[pos]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++pos;
        } else if (c == '\r' || c == '\n') {
            out += c == '\r' ? "\\r" : "\\n";
            ++pos;
        } else if (c < 0x20) {
            append_u_escape(out, c);
            ++pos;
        } else if (c < 0x80 || !ascii_only) {
            out += static_cast<char>(c);
            ++pos;
        } else {
            append_escaped_code_point(out, next_code_point(utf8, pos));
        }
    }
    return out + "\"";
}

std::string search_answer(const std::vector<const SampleSong*>& found, int page_size) {
    std::string lists;
    auto shown = std::min(found.size(), static_cast<std::size_t>(std::max(page_size, 0)));
    lists.reserve(shown * 700);
    for (std::size_t k = 0; k < shown; ++k) {
        if (k) lists += ',';
        lists += search_element(*found[k]);
    }
    auto chinese = std::to_string(found.size() / 2);
    return "{\"status\":1,\"error_code\":0,\"data\":{\"page\":1,\"tab\":\"全部\",\"lists\":[" + lists +
           "],\"chinesecount\":" + chinese + ",\"searchfull\":1,\"correctiontype\":0,\"subjecttype\":0,"
           "\"aggregation\":[],\"allowerr\":0,\"correctionsubject\":\"\",\"correctionforce\":0,\"total\":" +
           std::to_string(found.size()) + ",\"istagresult\":0,\"istag\":0,\"correctiontip\":\"\"},"
           "\"error_msg\":\"\"}";
}

std::string tip_answer(const std::vector<const SampleSong*>& found, int music_count, int mv_count) {
    auto songs = distinct_titles(found, std::max(music_count, 0), "");
    auto videos = distinct_titles(found, std::max(mv_count, 0), " MV");
    return "{\"status\":1,\"error\":\"\",\"data\":[" + tip_group(songs, "") + "," + tip_group(videos, "MV") +
           "],\"errcode\":0}";
}

std::string lyrics_of(const SampleSong& song) {
    std::string text = "\xEF\xBB\xBF[id:$00000000]\r\n[ar:" + song.singer + "]\r\n[ti:" + song.title +
                       "]\r\n[by:]\r\n[hash:" + song.hash + "]\r\n[al:]\r\n[sign:]\r\n[qq:]\r\n[total:" +
                       std::to_string(song.seconds * 1000) + "]\r\n[offset:0]\r\n";
    text += time_tag(0) + song.singer + " - " + song.title + "\r\n";
    text += time_tag(120) + "first line\r\n";
    static const char* const k_lines[] = {"第二行 风吹过", "第三行 星光", "第四行 回家的路", "最后一行"};
    int step = (song.seconds * 100 - 120) / 5;
    for (int k = 0; k < 4; ++k) text += time_tag(120 + step * (k + 1)) + k_lines[k] + "\r\n";
    return text;
}

std::string details_answer(const SampleSong& song, const std::string& origin) {
    auto ascii = [](const std::string& utf8) { return json_string(utf8, true); };
    return "{\"status\":1,\"err_code\":0,\"data\":{\"hash\":\"" + song.hash +
           "\",\"timelength\":" + std::to_string(song.seconds * 1000) +
           ",\"filesize\":" + std::to_string(song.seconds * 16000) +
           ",\"audio_name\":" + ascii(song.file_name()) + ",\"have_album\":1,\"album_name\":" + ascii(song.album) +
           ",\"album_id\":\"" + song.album_id + "\",\"img\":\"" + origin + "/cover/" + song.hash +
           ".jpg\",\"have_mv\":0,\"video_id\":0,\"author_name\":" + ascii(song.singer) +
           ",\"song_name\":" + ascii(song.title) + ",\"lyrics\":" + ascii(lyrics_of(song)) +
           ",\"author_id\":\"" + std::to_string(1000 + song.index % 8) + "\",\"privilege\":8,\"privilege2\":\"1000\""
           ",\"play_url\":\"" + origin + "/audio/" + song.hash + ".mp3\",\"bitrate\":128}}";
}

std::string unknown_song_answer() { return "{\"status\":0,\"err_code\":20010,\"data\":[]}"; }

std::string playlist_page(const std::vector<SampleSong>& songs, int first, int count) {
    std::string array;
    int end = std::min(static_cast<int>(songs.size()), first + count);
    for (int k = std::max(first, 0); k < end; ++k) {
        const auto& song = songs[static_cast<std::size_t>(k)];
        if (!array.empty()) array += ',';
        array += "{\"hash\":\"" + song.hash + "\",\"song_name\":" + json_string(song.file_name()) +
                 ",\"album_id\":" + song.album_id + ",\"author_name\":" + json_string(song.singer) +
                 ",\"timelen\":" + std::to_string(song.seconds * 1000) + "}";
    }
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>抖音热歌榜 - 歌单</title>\n"
           "</head>\n<body>\n<div class=\"songList\"><h1>抖音热歌榜</h1></div>\n"
           "<script type=\"text/javascript\">\n    var specialInfo = {\"specialid\":1,\"name\":\"抖音热歌榜\"};\n"
           "    var dataFromSmarty = [" + array + "],//当前页面歌曲信息\n        isLoaded = true;\n</script>\n"
           "</body>\n</html>\n";
}

}  // namespace melkora::sample
