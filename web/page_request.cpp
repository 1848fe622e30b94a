#include "web/page_request.h"

#include <array>
#include <climits>

namespace melkora {

std::string_view method_verb(int method) {
    static constexpr std::array<std::string_view, 8> verbs = {"GET",     "POST",   "HEAD",  "PUT",
                                                              "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    if (method < 0 || method >= static_cast<int>(verbs.size())) return verbs[0];
    return verbs[static_cast<std::size_t>(method)];
}

Text failure_text(FetchFailure failure) {
    switch (failure) {
        case FetchFailure::platform_unavailable: return ansi("700 当前系统不支持WinHttp服务!");
        case FetchFailure::bad_address: return ansi("701 解析URL地址失败!");
        case FetchFailure::session: return ansi("702 创建WinHttp会话失败!");
        case FetchFailure::connection: return ansi("703 创建WinHttp连接失败!");
        case FetchFailure::request: return ansi("704 创建WinHttp请求失败!");
        case FetchFailure::timeouts: return ansi("705 设置超时时间失败!");
        case FetchFailure::credentials: return ansi("707 设置代理凭证失败!");
        case FetchFailure::cookie_option: return ansi("708 禁止自动设置Cookies失败!");
        case FetchFailure::redirect_option: return ansi("709 重定向设置失败!");
        case FetchFailure::headers: return ansi("710 设置协议头失败!");
        case FetchFailure::send: return ansi("711 发送请求失败!");
        case FetchFailure::no_response: return ansi("712 服务器未响应!");
        case FetchFailure::read: return ansi("713 读取数据失败!");
    }
    return {};
}

long timeout_milliseconds(int timeout_seconds) {
    if (timeout_seconds < 1) return 30000;
    // Seconds beyond what a long of milliseconds holds cannot be meant literally; cap them.
    if (timeout_seconds > INT_MAX / 1000) return static_cast<long>(INT_MAX / 1000) * 1000;
    return static_cast<long>(timeout_seconds) * 1000;
}

}  // namespace melkora
