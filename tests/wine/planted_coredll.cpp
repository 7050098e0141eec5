// A coredll.dll planted beside the platform check and in its current folder,
// where the desktop's library lookup must not find it.
extern "C" __declspec(dllexport) unsigned int __stdcall RasHangUp(void*) { return 0; }
