#pragma once
// The API requests the fixture server recorded for the schedule-group tests: each one's page and
// its decoded form fields.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "session/FixtureServer.h"

namespace formrequests {

using Form = std::map<std::string, std::string>;

struct Request {
    std::string page;
    Form form;
};

inline std::string UrlDecode(const std::string& in)
{
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '+') {
            out += ' ';
        } else if (in[i] == '%' && i + 2 < in.size()) {
            out += static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

inline Form ParseForm(const std::string& body)
{
    Form form;
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        std::string pair = body.substr(start, end - start);
        size_t eq = pair.find('=');
        if (!pair.empty())
            form[UrlDecode(pair.substr(0, eq))] = eq == std::string::npos ? "" : UrlDecode(pair.substr(eq + 1));
        start = end + 1;
    }
    return form;
}

// The fixture's recorded API requests after seq mark, and the last seq seen.
inline std::vector<Request> RequestsSince(int& mark)
{
    std::vector<Request> out;
    nlohmann::json all = fixture::Requests(fixture::Shared(), "/api/");
    int last = mark;
    for (const auto& record : all) {
        int seq = record.value("seq", 0);
        if (seq <= mark)
            continue;
        last = std::max(last, seq);
        std::string target = record.value("target", "");
        Request request;
        request.page = target.substr(target.rfind('/') + 1);
        request.form = ParseForm(fixture::Base64Decode(record.value("body_b64", "")));
        out.push_back(request);
    }
    mark = last;
    return out;
}

inline std::vector<Form> Of(const std::vector<Request>& requests, const std::string& page)
{
    std::vector<Form> out;
    for (const Request& request : requests)
        if (request.page == page)
            out.push_back(request.form);
    return out;
}

inline std::string Get(const Form& form, const std::string& key)
{
    auto it = form.find(key);
    return it == form.end() ? "<absent>" : it->second;
}

} // namespace formrequests
