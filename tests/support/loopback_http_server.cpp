#include "tests/support/loopback_http_server.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr size_t kMaxRequestHead = 16 * 1024;

class ExclusiveLock {
 public:
  explicit ExclusiveLock(SRWLOCK* lock) : lock_(lock) { AcquireSRWLockExclusive(lock_); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(lock_); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;

 private:
  SRWLOCK* lock_;
};

struct Connection {
  LoopbackHttpServer* server;
  SOCKET client;
};

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 302:
      return "Found";
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    default:
      return "Status";
  }
}

bool SendAll(SOCKET socket, const char* data, size_t size) {
  while (size > 0) {
    int chunk = static_cast<int>(std::min<size_t>(size, 64 * 1024));
    int sent = send(socket, data, chunk, 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

std::string ReadRequestHead(SOCKET client) {
  std::string head;
  char buffer[2048];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead) {
    int got = recv(client, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    head.append(buffer, static_cast<size_t>(got));
  }
  return head;
}

std::string RequestPath(const std::string& head) {
  size_t start = head.find(' ');
  if (start == std::string::npos) return std::string();
  size_t end = head.find(' ', start + 1);
  return head.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

std::string HeaderValue(const std::string& head, const std::string& name) {
  std::string lowerHead = head;
  std::transform(lowerHead.begin(), lowerHead.end(), lowerHead.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  size_t at = lowerHead.find("\r\n" + name + ":");
  if (at == std::string::npos) return std::string();
  size_t start = head.find_first_not_of(' ', at + name.size() + 3);
  size_t end = head.find("\r\n", start);
  return head.substr(start, end - start);
}

std::string ResponseHead(const HttpRoute& route) {
  std::string head =
      "HTTP/1.1 " + std::to_string(route.status) + " " + ReasonPhrase(route.status) + "\r\n";
  if (route.announceLength) {
    long long length = route.announcedLength >= 0 ? route.announcedLength
                                                  : static_cast<long long>(route.body.size());
    head += "Content-Length: " + std::to_string(length) + "\r\n";
  }
  head += "Connection: close\r\n" + route.extraHeaders + "\r\n";
  return head;
}

// Waits until the peer closes (or the server shuts the socket down).
void DrainUntilClosed(SOCKET client) {
  char buffer[512];
  while (recv(client, buffer, sizeof(buffer), 0) > 0) {
  }
}

}  // namespace

HttpRoute HttpRoute::Ok(std::string body) {
  HttpRoute route;
  route.body = std::move(body);
  return route;
}

HttpRoute HttpRoute::Status(int status, std::string body) {
  HttpRoute route;
  route.status = status;
  route.body = std::move(body);
  return route;
}

HttpRoute HttpRoute::Redirect(const std::string& location) {
  HttpRoute route = Status(302, "");
  route.extraHeaders = "Location: " + location + "\r\n";
  return route;
}

LoopbackHttpServer::LoopbackHttpServer() {
  WSADATA data;
  winsockReady_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

LoopbackHttpServer::~LoopbackHttpServer() {
  Stop();
  if (winsockReady_) WSACleanup();
}

bool LoopbackHttpServer::Start() {
  if (!winsockReady_) return false;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return false;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof(address);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listener_, SOMAXCONN) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return false;
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void LoopbackHttpServer::Stop() {
  {
    ExclusiveLock lock(&lock_);
    if (stopping_) return;
    stopping_ = true;
    WakeAllConditionVariable(&stopped_);
    for (SOCKET client : openClients_) shutdown(client, SD_BOTH);
  }
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  if (acceptor_.joinable()) acceptor_.join();
  WaitUntilIdle();
}

void LoopbackHttpServer::WaitUntilIdle() {
  ExclusiveLock lock(&lock_);
  while (!openClients_.empty()) SleepConditionVariableSRW(&idle_, &lock_, INFINITE, 0);
}

void LoopbackHttpServer::SetRoute(const std::string& path, HttpRoute route) {
  ExclusiveLock lock(&lock_);
  for (auto& entry : routes_) {
    if (entry.first == path) {
      entry.second = std::move(route);
      return;
    }
  }
  routes_.emplace_back(path, std::move(route));
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<HttpRequestRecord> LoopbackHttpServer::Requests() const {
  ExclusiveLock lock(&lock_);
  return requests_;
}

int LoopbackHttpServer::RequestCount(const std::string& path) const {
  ExclusiveLock lock(&lock_);
  return static_cast<int>(
      std::count_if(requests_.begin(), requests_.end(),
                    [&](const HttpRequestRecord& r) { return r.path == path; }));
}

HttpRoute LoopbackHttpServer::RouteFor(const std::string& path) const {
  ExclusiveLock lock(&lock_);
  for (const auto& entry : routes_) {
    if (entry.first == path) return entry.second;
  }
  return HttpRoute::Status(404, "<html>not here</html>");
}

bool LoopbackHttpServer::Stopping() const {
  ExclusiveLock lock(&lock_);
  return stopping_;
}

bool LoopbackHttpServer::WaitForStop(DWORD milliseconds) {
  ExclusiveLock lock(&lock_);
  ULONGLONG deadline = GetTickCount64() + milliseconds;
  while (!stopping_) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    SleepConditionVariableSRW(&stopped_, &lock_, static_cast<DWORD>(deadline - now), 0);
  }
  return stopping_;
}

DWORD WINAPI LoopbackHttpServer::ServeThread(void* context) {
  Connection* connection = static_cast<Connection*>(context);
  connection->server->Serve(connection->client);
  delete connection;
  return 0;
}

void LoopbackHttpServer::AcceptLoop() {
  for (;;) {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    ExclusiveLock lock(&lock_);
    if (stopping_) {
      closesocket(client);
      return;
    }
    openClients_.push_back(client);
    HANDLE thread = CreateThread(nullptr, 0, ServeThread, new Connection{this, client}, 0, nullptr);
    if (thread) CloseHandle(thread);
  }
}

void LoopbackHttpServer::Serve(SOCKET client) {
  std::string head = ReadRequestHead(client);
  std::string path = RequestPath(head);
  {
    ExclusiveLock lock(&lock_);
    requests_.push_back({path, HeaderValue(head, "user-agent"), HeaderValue(head, "cookie"),
                         HeaderValue(head, "authorization")});
  }
  HttpRoute route = RouteFor(path);
  std::string response = ResponseHead(route);
  switch (route.mode) {
    case HttpRoute::Mode::Stall:
      break;
    case HttpRoute::Mode::StallInHead:
      SendAll(client, response.data(), response.find("\r\n") + 2);
      break;
    case HttpRoute::Mode::StallInBody:
      if (SendAll(client, response.data(), response.size()))
        SendAll(client, route.body.data(), route.body.size() / 2);
      break;
    case HttpRoute::Mode::Answer:
      if (SendAll(client, response.data(), response.size()))
        SendAll(client, route.body.data(), route.body.size());
      shutdown(client, SD_SEND);
      break;
    case HttpRoute::Mode::Drip:
      if (SendAll(client, response.data(), response.size())) {
        for (char byte : route.body) {
          if (WaitForStop(route.dripDelayMs) || !SendAll(client, &byte, 1)) break;
        }
      }
      shutdown(client, SD_SEND);
      break;
  }
  DrainUntilClosed(client);
  ExclusiveLock lock(&lock_);
  openClients_.erase(std::remove(openClients_.begin(), openClients_.end(), client),
                     openClients_.end());
  closesocket(client);
  WakeAllConditionVariable(&idle_);
}
