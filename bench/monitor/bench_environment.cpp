#include "bench_environment.h"

#include "mz/monitor/uMonitorZelnor.h"

#include <cstdlib>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <stdexcept>

namespace mz::bench {

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace

Environment& Environment::Get() {
    static Environment environment;
    return environment;
}

Environment::Environment() : server_(test::MariaDbServer::Shared()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "mz_bench.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root_ = pattern + "/";
    programDir_ = root_ + "prog/";
    largeDir_ = root_ + "prog-large/";
    sendDir_ = root_ + "env/";
    replyDir_ = root_ + "rec/";
    for (const std::string& dir : {programDir_, largeDir_, sendDir_, replyDir_}) {
        std::filesystem::create_directory(dir);
    }
    const std::string settings = fmt::format("[zelnor]\r\nenvio={}\r\nresposta={}\r\ntempo=500\r\n"
                                             "[FilialMatriz]\r\nCodLogica={}\r\n",
                                             sendDir_, replyDir_, Branch);
    WriteText(programDir_ + "sistema_tervo.ini", settings);
    std::string padding;
    const std::string comment = "; " + std::string(60, '-') + "\r\n";
    while (padding.size() + comment.size() + settings.size() < (std::size_t{1} << 20) - 64) {
        padding += comment;
    }
    WriteText(largeDir_ + "sistema_tervo.ini", padding + settings);
    server_.Execute(fmt::format("delete from {0}.filial; insert into {0}.filial values ({1}, 0)",
                                server_.Database(), Branch));
}

Environment::~Environment() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string Environment::RequestPath() const {
    return sendDir_ + ExchangeFileName;
}
std::string Environment::ReplyPath() const {
    return replyDir_ + ExchangeFileName;
}

void Environment::PutReply() const {
    WriteText(ReplyPath(), GoodReply);
}

} // namespace mz::bench
