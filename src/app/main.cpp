#include "startup.h"

int main(int argc, char** argv) { return dalvero::RunClient(argc, argv); }
