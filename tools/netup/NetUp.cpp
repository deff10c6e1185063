// Preloaded into a program under test: getifaddrs reports, besides the machine's interfaces,
// one that is up, so a program that looks for a network before it talks to a local server
// behaves the same on a machine whose only interface is the loopback.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace {

sockaddr_in address = [] {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0xC0000201); // 192.0.2.1, kept for documentation
    return a;
}();
char name[] = "testnet0";
ifaddrs up = {nullptr, name,   IFF_UP | IFF_RUNNING, reinterpret_cast<sockaddr*>(&address), nullptr,
              {},      nullptr};

using GetFn = int (*)(ifaddrs**);
using FreeFn = void (*)(ifaddrs*);

} // namespace

extern "C" int getifaddrs(ifaddrs** list) {
    static const auto real = reinterpret_cast<GetFn>(::dlsym(RTLD_NEXT, "getifaddrs"));
    *list = nullptr;
    if (real != nullptr && real(list) != 0) {
        return -1;
    }
    if (*list == nullptr) {
        *list = &up;
        return 0;
    }
    ifaddrs* last = *list;
    while (last->ifa_next != nullptr) {
        last = last->ifa_next;
    }
    last->ifa_next = &up;
    return 0;
}

extern "C" void freeifaddrs(ifaddrs* list) {
    static const auto real = reinterpret_cast<FreeFn>(::dlsym(RTLD_NEXT, "freeifaddrs"));
    if (list != &up && real != nullptr) {
        real(list);
    }
}
