// Whether a network camera is there, without a session: libgphoto2 can detect cameras on
// USB, but not on the network, and opening one would wake it and hold it. A camera that
// takes a connection on its port is there; the connection is closed at once, before any
// word of the protocol is said.
#pragma once

#include <chrono>
#include <string>

namespace talbex::gphoto {

/// True for libgphoto2's network-camera ports ("ptpip:...").
bool IsNetworkPort(const std::string& port);

/// Why libgphoto2 2.5.30 cannot reach the network camera on `port`
/// ("ptpip:HOST[:PORT[:EVENTPORT]]"): it takes the host only as a numeric IPv4 address
/// and the ports only as numbers, and resolves no names. Empty when it can.
std::string NetworkPortProblem(const std::string& port);

/// True when the camera on `port` ("ptpip:HOST", "ptpip:HOST:PORT" or
/// "ptpip:HOST:PORT:EVENTPORT"; the protocol's port 15740 by default) takes a connection
/// within `limit`. Only numeric addresses are tried: no name is ever looked up, so the
/// answer comes within `limit`.
bool NetworkCameraAnswers(const std::string& port,
                          std::chrono::milliseconds limit = std::chrono::milliseconds(1000));

}  // namespace talbex::gphoto
