// The print queue's job helpers of the print tests, built into this suite too.
#include "print/print_job.cpp"
