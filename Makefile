# The commands of the README.
.PHONY: run run-tarsilo test
run:
	./scripts/run
run-tarsilo:
	VX_PROGRAM=tarsilo ./scripts/run
test:
	./scripts/test
