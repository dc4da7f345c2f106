#pragma once
// A small HTTP/1.1 server on 127.0.0.1 (ephemeral port) for the refresh
// tests. Each path has a route: an answer, a stall (the request is read and
// never answered, or answered in part: the status line alone, or the head
// and half the body), or a slow drip of the body. Unknown paths get 404.
// Connections are served on threads whose handles are closed at once, and
// the locks are slim ones, so that the server holds no handle that comes and
// goes with the traffic: the tests count the process's handles.

#include <winsock2.h>

#include <string>
#include <thread>
#include <vector>

struct HttpRoute {
  enum class Mode { Answer, Stall, StallInHead, StallInBody, Drip };
  Mode mode = Mode::Answer;
  int status = 200;
  std::string body;
  std::string extraHeaders;        // whole lines, each ending in "\r\n"
  bool announceLength = true;      // send Content-Length
  long long announcedLength = -1;  // -1: the body's own length
  DWORD dripDelayMs = 0;           // pause before each body byte (Drip)

  static HttpRoute Ok(std::string body);
  static HttpRoute Status(int status, std::string body);
  // 302 to location, with an empty body.
  static HttpRoute Redirect(const std::string& location);
};

struct HttpRequestRecord {
  std::string path;
  std::string userAgent;
  std::string cookie;
  std::string authorization;
};

class LoopbackHttpServer {
 public:
  LoopbackHttpServer();
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  bool Start();
  void Stop();

  void SetRoute(const std::string& path, HttpRoute route);
  std::string Url(const std::string& path) const;
  std::vector<HttpRequestRecord> Requests() const;
  int RequestCount(const std::string& path) const;
  // Waits until every connection has been served and closed.
  void WaitUntilIdle();

 private:
  void AcceptLoop();
  void Serve(SOCKET client);
  static DWORD WINAPI ServeThread(void* context);
  HttpRoute RouteFor(const std::string& path) const;
  bool Stopping() const;
  bool WaitForStop(DWORD milliseconds);

  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  bool winsockReady_ = false;
  mutable SRWLOCK lock_ = SRWLOCK_INIT;
  bool stopping_ = false;
  std::vector<std::pair<std::string, HttpRoute>> routes_;
  std::vector<HttpRequestRecord> requests_;
  std::vector<SOCKET> openClients_;
  CONDITION_VARIABLE idle_ = CONDITION_VARIABLE_INIT;
  CONDITION_VARIABLE stopped_ = CONDITION_VARIABLE_INIT;
  std::thread acceptor_;
};
