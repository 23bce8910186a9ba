#pragma once
// The sound library runs while anything needs it: every sample holder and
// every music object is one user. The first user starts the mixer, the last
// one closes it.

void a_soundLibraryAddUser();
void a_soundLibraryRemoveUser();
// The number of users now (the application's pause only reaches the mixer
// while it is at least 1).
int a_soundLibraryUsers();
