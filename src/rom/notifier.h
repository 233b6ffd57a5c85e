#pragma once
// How the core hands a message to whoever shows it. The editor shows a message box, the
// command-line tool prints to stderr, tests collect the texts. The core never decides how a
// message looks, only what it says and how serious it is.
#include <string>
#include <string_view>
#include <vector>

namespace morvi {

enum class MessageKind { Error, Warning, Information, None };

class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void notify(MessageKind kind, std::string_view text) = 0;
};

// Keeps every message; the default notifier of a workspace and what tests look at.
class CollectingNotifier : public Notifier {
public:
    struct Message {
        MessageKind kind;
        std::string text;
    };
    void notify(MessageKind kind, std::string_view text) override {
        messages.push_back({kind, std::string(text)});
    }
    std::string lastText() const { return messages.empty() ? std::string() : messages.back().text; }
    void clear() { messages.clear(); }
    std::vector<Message> messages;
};

} // namespace morvi
