#include "tools/load/SourceAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace load {

std::string BindSource(int fd, int index, int count) {
    // The port is chosen at connect, by the whole four-tuple, not at bind,
    // which would give each port to one connection only.
    const int one = 1;
    setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    source.sin_addr.s_addr = htonl(INADDR_LOOPBACK + static_cast<unsigned>(index % count));
    if (bind(fd, reinterpret_cast<const sockaddr*>(&source), sizeof source) == 0) return {};
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &source.sin_addr, text, sizeof text);
    return std::string("bind to ") + text + ": " + std::strerror(errno);
}

}  // namespace load
