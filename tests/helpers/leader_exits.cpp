// A process whose main thread ends while another of its threads lives on and has a child:
// "leader_exits DIR" starts `sleep 300` from the second thread, writes the child's id to
// DIR/child.pid and its own to DIR/script.pid, says "ready", and ends its main thread.

#include <pthread.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

extern char** environ;

namespace {

std::string g_dir;

void writePid(const char* name, pid_t pid) {
  const std::string path = g_dir + "/" + name;
  if (FILE* file = std::fopen(path.c_str(), "w")) {
    std::fprintf(file, "%d\n", static_cast<int>(pid));
    std::fclose(file);
  }
}

void* startChild(void*) {
  char sleepName[] = "sleep";
  char seconds[] = "300";
  char* arguments[] = {sleepName, seconds, nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "sleep", nullptr, nullptr, arguments, environ) != 0) return nullptr;
  writePid("child.pid", child);
  writePid("script.pid", getpid());
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) pause();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  g_dir = argv[1];
  pthread_t thread;
  if (pthread_create(&thread, nullptr, &startChild, nullptr) != 0) return 1;
  pthread_exit(nullptr);
}
