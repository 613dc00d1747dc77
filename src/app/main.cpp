#include "app/basMain.h"

int main(int argc, char** argv) { return vantorix::Main(argc, argv); }
