#include "platform/registered_message.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace sonarel {

namespace {

struct Registry {
    std::mutex mutex; // guards numbers and next: any thread may register a name
    std::unordered_map<std::string, MessageId> numbers;
    MessageId next = kFirstRegisteredMessage;
};

// Built on first use, so units may register from their static initialisers.
Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

MessageId RegisterMessage(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.numbers.find(std::string(name));
    if (found != registry.numbers.end()) {
        return found->second;
    }
    if (registry.next > kLastRegisteredMessage) {
        return 0;
    }
    MessageId id = registry.next++;
    registry.numbers.emplace(std::string(name), id);
    return id;
}

} // namespace sonarel
