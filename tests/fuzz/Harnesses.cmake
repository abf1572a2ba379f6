# The libFuzzer harnesses, one per parser family: <name> is built from <name>Fuzzer.cpp and seeded
# from corpus/<name>/.
set(MARLWICK_FUZZ_HARNESSES CommandLine Settings JavaVersion VmOptions OutputPaths PeImage RegistryValue
    InstanceBlock BaseText IniText DialogText ReleaseFile)
